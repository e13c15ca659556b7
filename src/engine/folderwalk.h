// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of a folder and its subfolders, in the order they were taken: shared by the
// editor's import and vmalbum-export.
#pragma once

#include "picturefacts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Files looked at in one walk, pictures or not: a home folder dropped by mistake stays quick.
constexpr int kMaxFolderFiles = 10000;

struct FolderWalk
{
    QStringList pictures; // absolute, in walk order (sorted by name within each folder)
    bool capped = false;  // the walk stopped at the cap: more files lay beyond it
    int filesLooked = 0;
};

// Walks szFolder depth first. Hidden files and folders are left out, a folder reached twice
// (through a link, or a link loop) is walked once, and the walk stops after iMaxFiles files.
// isPicture decides from a file's name.
FolderWalk walkPictureFolder(const QString &szFolder,
                             const std::function<bool(const QString &)> &isPicture,
                             int iMaxFiles = kMaxFolderFiles);
// Whether the walk would find a picture among the first iMaxFiles files; stops at the first.
bool folderHasPictures(const QString &szFolder,
                       const std::function<bool(const QString &)> &isPicture, int iMaxFiles);

// The files without the videos of live photos: a video (by its name) whose base name a picture
// in the same folder shares. *pDropped counts the videos left out.
QStringList withoutLivePhotoVideos(const QStringList &files, int *pDropped = nullptr);

// Whether picture a comes before b in time: date taken (an unknown date last), then name.
bool takenBefore(const QString &a, const PictureFacts &fa, const QString &b,
                 const PictureFacts &fb);
// Name order as people read numbered files: "IMG_2" before "IMG_10", case aside; the full path
// breaks ties.
bool nameBefore(const QString &a, const QString &b);

// The paths in the order taken, their facts read here (a command-line import has no decoder to
// read them on the way). Facts are returned beside the paths when pFacts is given.
QStringList orderByDateTaken(const QStringList &paths, QList<PictureFacts> *pFacts = nullptr);
