// SPDX-License-Identifier: GPL-3.0-or-later
// Font dialog list.
#include "fontlistview.h"

#include <QStringListModel>

FontListView::FontListView(QWidget *pParent)
    : QListView(pParent), m_pModel(new QStringListModel(pParent))
{
    setModel(m_pModel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int FontListView::count() const
{
    return m_pModel->rowCount();
}

void FontListView::setCurrentItem(int iRow)
{
    setCurrentIndex(m_pModel->index(iRow, 0));
}

QString FontListView::text(int iRow) const
{
    return m_pModel->data(m_pModel->index(iRow, 0), Qt::DisplayRole).toString();
}

QString FontListView::currentText() const
{
    const int iRow = currentItem();
    return iRow >= 0 ? text(iRow) : QString();
}

void FontListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    if (current.isValid())
        emit highlighted(current.row());
}
