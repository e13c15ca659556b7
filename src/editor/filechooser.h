// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's file choosers, replaceable so that tests can answer them.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace FileChooser {

// Caption, start folder, filter; returns the chosen files (empty when cancelled).
using OpenFilesFn = std::function<QStringList(const QString &szCaption, const QString &szFolder,
                                              const QString &szFilter, bool bMultiple)>;

// Replaces the chooser (tests); an empty function restores the real dialog.
void setOpenFilesOverride(OpenFilesFn fn);

// Several files, or one. Upper-case extensions (IMG_0001.JPG) are offered too: the filter's
// patterns match regardless of case while its text stays as given.
QStringList openFiles(const QString &szCaption, const QString &szFolder, const QString &szFilter);
QString openFile(const QString &szCaption, const QString &szFolder, const QString &szFilter);

// A folder: caption, start folder; empty when cancelled.
using OpenFolderFn = std::function<QString(const QString &szCaption, const QString &szFolder)>;
void setOpenFolderOverride(OpenFolderFn fn);
QString openFolder(const QString &szCaption, const QString &szFolder);

// A file to write: caption, suggested path (folder and name), filter; empty when cancelled.
// szSuffix ("vmalbum") is added when the name typed has none.
using SaveFileFn = std::function<QString(const QString &szCaption, const QString &szSuggested,
                                         const QString &szFilter)>;
void setSaveFileOverride(SaveFileFn fn);
QString saveFile(const QString &szCaption, const QString &szSuggested, const QString &szFilter,
                 const QString &szSuffix);

} // namespace FileChooser
