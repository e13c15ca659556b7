// SPDX-License-Identifier: GPL-3.0-or-later
// A list of strings for the font dialog's family, style and size columns.
#pragma once

#include <QListView>

class QStringListModel;

class FontListView : public QListView
{
    Q_OBJECT
public:
    // The model belongs to pParent (the dialog), as the view does.
    explicit FontListView(QWidget *pParent);

    QStringListModel *model() const { return m_pModel; }
    int count() const;
    int currentItem() const { return currentIndex().row(); }
    void setCurrentItem(int iRow);
    QString text(int iRow) const;
    // Empty when no row is current.
    QString currentText() const;

signals:
    // The current row changed to iRow, by the user or by setCurrentItem.
    void highlighted(int iRow);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    QStringListModel *m_pModel;
};
