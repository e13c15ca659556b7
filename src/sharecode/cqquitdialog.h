// SPDX-License-Identifier: GPL-3.0-or-later
// Modeless confirmation dialog (exit, switch watermark type) that shadows the main window.
#pragma once

#include <QDialog>
#include <memory>

namespace ShareCode {

namespace Ui {
struct CQQuitDialogClass;
}

class CQQuitDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CQQuitDialog(QWidget *parent = nullptr);
    ~CQQuitDialog() override;

    void setTitle(const QString &szTitle);
    void setTip(const QString &szTip);
    void setTip2(const QString &szTip2);
    void setOkText(const QString &szText);
    void setCancelText(const QString &szText);
    // A third button, left of the others (hidden until given a text); bDestructive draws it as
    // the choice that loses something.
    void setOtherText(const QString &szText, bool bDestructive = false);

signals:
    void okSignal();
    void cancelSignal();
    void otherSignal();

public slots:
    void sltClose();
    void sltCancel();
    void sltOK();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    std::unique_ptr<Ui::CQQuitDialogClass> ui;
    bool m_bShadowing = false; // shown, and not hidden since
};

} // namespace ShareCode
