// SPDX-License-Identifier: GPL-3.0-or-later
// Reports a finished export, says where the file went and offers to show it in the file manager
// (or, where none answers, to copy its path).
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

    // The written file, shown under the title (wrapped, selectable) with native separators.
    void setFilePath(const QString &szPath);
    QString filePath() const { return m_szPath; }
    // Nothing opened the folder: says so, and offers to copy the path instead.
    void showFolderNotOpened();

signals:
    // "Open the export folder" was clicked; the dialog stays open.
    void sig_explorerFolderRequest();

private:
    void fitLowerHalf();

    std::unique_ptr<Ui::SuccessDialogClass> ui;
    QString m_szPath;
};
