// SPDX-License-Identifier: GPL-3.0-or-later
// Percentage of a long operation (import, export) on the shared card; it closes itself on request.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>

#include <memory>

namespace Ui {
struct ProgressDialogClass;
}
namespace ShareCode {
class CQDlgTipSimple;
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
    // With a question set, Escape, the close button and the window's close ask it first (szStop
    // ends the operation, szContinue keeps it); the operation goes on while it is asked. Without
    // one (the default) they close the dialog at once. Closing from code never asks.
    void setStopQuestion(const QString &szTitle, const QString &szQuestion, const QString &szStop,
                         const QString &szContinue);
    // The stop question while it is up, else null.
    ShareCode::CQDlgTipSimple *stopQuestion() const;

signals:
    // The program hid or closed the dialog: hide(), close(), the close button, closeAfterTime.
    // Hides the window system causes (the main window minimised with it) do not count, so they
    // cannot cancel the operation behind the dialog.
    void sig_hided();

public slots:
    void reject() override;
    // Closes the dialog after iMilisecond milliseconds; 0 closes it on the event loop's next pass,
    // never synchronously. A new call replaces a pending one.
    void closeAfterTime(int iMilisecond);

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void refreshLabel();
    // The user asked to end the operation: ask first when a question is set, else close.
    void userStop();

    struct StopQuestion
    {
        QString title, question, stop, keepOn;
    };

    std::unique_ptr<Ui::ProgressDialogClass> ui;
    QString m_szTextPrefix;
    int m_iCloseTimerId = 0;
    StopQuestion m_stop;
    QPointer<ShareCode::CQDlgTipSimple> m_pStopQuestion;
    bool m_bClosingFromCode = false;
    bool m_bDragging = false;
    QPoint m_stPressGlobalPos;
    QPoint m_stPressWindowPos;
};
