// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting dropped files by kind.
#include "droppedfiles.h"

#include <QFileInfo>

namespace {
bool hasSuffix(const QString &szPath, std::initializer_list<QLatin1String> suffixes)
{
    // The name's "*.jpg" match, as the choosers' filters make it: a file called "jpg" is no
    // picture, and neither is "photo.jpg.txt".
    const QString szName = QFileInfo(szPath).fileName();
    for (const QLatin1String &suffix : suffixes) {
        if (szName.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
} // namespace

bool isPictureFileName(const QString &szPath)
{
    return hasSuffix(szPath, {QLatin1String("jpg"), QLatin1String("jpeg"), QLatin1String("png"),
                              QLatin1String("heic"), QLatin1String("heif"), QLatin1String("avif"),
                              QLatin1String("webp")});
}

bool isMusicFileName(const QString &szPath)
{
    return hasSuffix(szPath, {QLatin1String("mp3")});
}

bool isAlbumFileName(const QString &szPath)
{
    return hasSuffix(szPath, {QLatin1String("vmalbum")});
}

DroppedFiles sortDroppedUrls(const QList<QUrl> &urls)
{
    DroppedFiles files;
    for (const QUrl &url : urls) {
        const QString szPath = url.isLocalFile() ? url.toLocalFile() : QString();
        // A folder named like a picture is still a folder; the choosers never offer one.
        if (szPath.isEmpty() || QFileInfo(szPath).isDir())
            ++files.others;
        else if (isPictureFileName(szPath))
            files.pictures << szPath;
        else if (isMusicFileName(szPath))
            files.music << szPath;
        else if (isAlbumFileName(szPath))
            files.albums << szPath;
        else
            ++files.others;
    }
    return files;
}
