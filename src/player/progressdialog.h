// SPDX-License-Identifier: GPL-3.0-or-later
// Percentage of a long operation (import, export) on the shared card; it closes itself on request.
#pragma once

#include <QDialog>
#include <QPoint>

#include <memory>

namespace Ui {
struct ProgressDialogClass;
}

class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget *parent = nullptr);
    ~ProgressDialog() override;

    // The label shows "<prefix> (<value>%)", or "<value>%" without a prefix.
    void setTextPrefix(const QString &szPrefix);
    QString textPrefix() const { return m_szTextPrefix; }
    // Clamped into 0 to 100.
    void setValue(int iValue);
    int value() const;
    // The picture of the upper half, e.g. ":/theme_local/imgs/dlg_import_images.png".
    void setBackgroundPicture(const QString &szPath);

signals:
    // The program hid or closed the dialog: hide(), close(), the close button, closeAfterTime.
    // Hides the window system causes (the main window minimised with it) do not count, so they
    // cannot cancel the operation behind the dialog.
    void sig_hided();

public slots:
    // Closes the dialog after iMilisecond milliseconds; 0 closes it on the event loop's next pass,
    // never synchronously. A new call replaces a pending one.
    void closeAfterTime(int iMilisecond);

protected:
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void refreshLabel();

    std::unique_ptr<Ui::ProgressDialogClass> ui;
    QString m_szTextPrefix;
    int m_iCloseTimerId = 0;
    bool m_bDragging = false;
    QPoint m_stPressGlobalPos;
    QPoint m_stPressWindowPos;
};
