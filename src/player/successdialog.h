// SPDX-License-Identifier: GPL-3.0-or-later
// Reports a finished export and offers to show the new file in the file manager.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
struct SuccessDialogClass;
}

class SuccessDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SuccessDialog(QWidget *parent = nullptr);
    ~SuccessDialog() override;

signals:
    // "Open the export folder" was clicked; the dialog stays open.
    void sig_explorerFolderRequest();

private:
    std::unique_ptr<Ui::SuccessDialogClass> ui;
};
