// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting the files of a drop from the file manager into pictures, music and the rest.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

struct DroppedFiles
{
    QStringList pictures; // local JPEG, PNG, HEIC, AVIF and WebP files, as dropped
    QStringList music;    // local music files (MP3, M4A, OGG, ...), in the order dropped
    QStringList albums;   // local album files (.vmalbum), in the order dropped
    QStringList folders;  // local folders with pictures in them (or in their subfolders)
    int others = 0;       // anything else: other types, folders without pictures, remote ones

    bool isEmpty() const
    {
        return pictures.isEmpty() && music.isEmpty() && albums.isEmpty() && folders.isEmpty() &&
               others == 0;
    }
};

// By extension, regardless of case, as the file choosers decide (IMG_0001.JPG is a picture).
bool isPictureFileName(const QString &szPath);
bool isMusicFileName(const QString &szPath);
bool isAlbumFileName(const QString &szPath);

DroppedFiles sortDroppedUrls(const QList<QUrl> &urls);
