// File choosers of the editor.
#include "filechooser.h"

#include <QDir>
#include <QFileDialog>

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
} // namespace

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

} // namespace FileChooser
