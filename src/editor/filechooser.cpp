// SPDX-License-Identifier: GPL-3.0-or-later
// File choosers of the editor.
#include "filechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace FileChooser {

namespace {
OpenFilesFn &overrideFn()
{
    static OpenFilesFn fn;
    return fn;
}

QStringList runDialog(const QString &szCaption, const QString &szFolder, const QString &szFilter,
                      bool bMultiple)
{
    if (overrideFn())
        return overrideFn()(szCaption, szFolder, szFilter, bMultiple);
    // Qt's own dialog: its name filters can be told to ignore case, which a camera's IMG_0001.JPG
    // needs on a case-sensitive file system, without changing the filter texts shown.
    QFileDialog dialog(nullptr, szCaption, szFolder, szFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(bMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
SaveFileFn &saveOverrideFn()
{
    static SaveFileFn fn;
    return fn;
}
OpenFolderFn &folderOverrideFn()
{
    static OpenFolderFn fn;
    return fn;
}
} // namespace

void setOpenFolderOverride(OpenFolderFn fn)
{
    folderOverrideFn() = std::move(fn);
}

QString openFolder(const QString &szCaption, const QString &szFolder)
{
    if (folderOverrideFn())
        return folderOverrideFn()(szCaption, szFolder);
    QFileDialog dialog(nullptr, szCaption, szFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void setOpenFilesOverride(OpenFilesFn fn)
{
    overrideFn() = std::move(fn);
}

QStringList openFiles(const QString &szCaption, const QString &szFolder, const QString &szFilter)
{
    return runDialog(szCaption, szFolder, szFilter, true);
}

QString openFile(const QString &szCaption, const QString &szFolder, const QString &szFilter)
{
    const QStringList files = runDialog(szCaption, szFolder, szFilter, false);
    return files.isEmpty() ? QString() : files.first();
}

void setSaveFileOverride(SaveFileFn fn)
{
    saveOverrideFn() = std::move(fn);
}

QString saveFile(const QString &szCaption, const QString &szSuggested, const QString &szFilter,
                 const QString &szSuffix)
{
    QString szFile;
    if (saveOverrideFn()) {
        szFile = saveOverrideFn()(szCaption, szSuggested, szFilter);
    } else {
        QFileDialog dialog(nullptr, szCaption, szSuggested, szFilter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(szSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        szFile = dialog.selectedFiles().first();
    }
    if (!szFile.isEmpty() && QFileInfo(szFile).suffix().isEmpty())
        szFile += QLatin1Char('.') + szSuffix;
    return szFile;
}

} // namespace FileChooser
