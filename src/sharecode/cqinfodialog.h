// SPDX-License-Identifier: GPL-3.0-or-later
// A card dialog that shows a piece of content (a text, a table) under its title, with one button.
#pragma once

#include "cqdialogex.h"

#include <memory>

namespace ShareCode {

namespace Ui {
struct CQInfoDialog;
}

class CQInfoDialog : public CQDialogEx
{
    Q_OBJECT
public:
    explicit CQInfoDialog(QWidget *parent = nullptr);
    ~CQInfoDialog() override;

    void setTitle(const QString &szTitle);
    // Takes pContent over and sizes the card to it (at least the message dialogs' width).
    void setContent(QWidget *pContent);
    // Sizes the card again, after the content grew or shrank.
    void fitContent();
    void setButtonText(const QString &szText);

private:
    std::unique_ptr<Ui::CQInfoDialog> ui;
};

} // namespace ShareCode
