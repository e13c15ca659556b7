// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting dropped files by kind.
#include "droppedfiles.h"

#include "folderwalk.h"

#include <QFileInfo>

namespace {
constexpr int kDropFolderFilesLooked = 1000;

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
    // The album's items: pictures, and the clips a phone or camera writes beside them.
    return hasSuffix(szPath, {QLatin1String("jpg"), QLatin1String("jpeg"), QLatin1String("png"),
                              QLatin1String("heic"), QLatin1String("heif"), QLatin1String("avif"),
                              QLatin1String("webp"), QLatin1String("mp4"), QLatin1String("mov"),
                              QLatin1String("m4v"), QLatin1String("mkv"), QLatin1String("webm"),
                              QLatin1String("3gp"), QLatin1String("avi")});
}

bool isMusicFileName(const QString &szPath)
{
    // The music chooser's first filter; what the file holds is probed when it is used.
    return hasSuffix(szPath, {QLatin1String("mp3"), QLatin1String("m4a"), QLatin1String("aac"),
                              QLatin1String("ogg"), QLatin1String("oga"), QLatin1String("opus"),
                              QLatin1String("flac"), QLatin1String("wav")});
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
        // A folder named like a picture is still a folder. A drag passes over the window many
        // times a second: only the first files of a folder are looked at here.
        if (szPath.isEmpty())
            ++files.others;
        else if (QFileInfo(szPath).isDir() &&
                 folderHasPictures(szPath, isPictureFileName, kDropFolderFilesLooked))
            files.folders << szPath;
        else if (QFileInfo(szPath).isDir())
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
