// SPDX-License-Identifier: GPL-3.0-or-later
// Modal question dialog (message with Cancel / Confirm) run through the dialog stack.
#pragma once

#include "cqdialogex.h"

#include <memory>

namespace ShareCode {

namespace Ui {
struct CQDlgTipSimple;
}

class CQDlgTipSimple : public CQDialogEx
{
    Q_OBJECT
public:
    explicit CQDlgTipSimple(QWidget *parent = nullptr);
    ~CQDlgTipSimple() override;

    void setTitle(const QString &szTitle);
    void setMessage(const QString &szMessage);
    void setOkText(const QString &szText);
    void setCancelText(const QString &szText);
    // Enter answers with Cancel instead of OK: for questions whose OK loses work.
    void setCancelDefault();

public slots:
    void sltClose();
    void sltOK();

private:
    std::unique_ptr<Ui::CQDlgTipSimple> ui;
};

} // namespace ShareCode
