// SPDX-License-Identifier: GPL-3.0-or-later
// Folder walk and the orders of pictures by date and by name.
#include "folderwalk.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <numeric>
#include <vector>

#include <sys/stat.h>

namespace {

// A folder is the same folder by device and inode, whatever links lead to it.
QString folderIdentity(const QString &szPath)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(szPath).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
}

const QCollator &nameCollator()
{
    // Per thread: QCollator is not safe to share, and the walk may run off the interface thread.
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

namespace {
FolderWalk walk(const QString &szFolder, const std::function<bool(const QString &)> &isPicture,
                int iMaxFiles, bool bFirstOnly)
{
    FolderWalk found;
    QSet<QString> seen;
    QStringList stack{QFileInfo(szFolder).absoluteFilePath()};
    while (!stack.isEmpty()) {
        const QString szDir = stack.takeLast();
        const QString id = folderIdentity(szDir);
        if (id.isEmpty() || seen.contains(id))
            continue;
        seen.insert(id);
        // Hidden entries are left out by not asking for QDir::Hidden.
        QFileInfoList entries =
            QDir(szDir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return nameBefore(a.fileName(), b.fileName());
        });
        QStringList subfolders;
        for (const QFileInfo &entry : entries) {
            if (entry.isDir()) {
                subfolders << entry.absoluteFilePath();
                continue;
            }
            if (found.filesLooked >= iMaxFiles) {
                found.capped = true;
                return found;
            }
            ++found.filesLooked;
            if (isPicture(entry.fileName())) {
                found.pictures << entry.absoluteFilePath();
                if (bFirstOnly)
                    return found;
            }
        }
        // Depth first, in name order: the stack takes them last to first.
        for (auto it = subfolders.crbegin(); it != subfolders.crend(); ++it)
            stack << *it;
    }
    return found;
}
} // namespace

FolderWalk walkPictureFolder(const QString &szFolder,
                             const std::function<bool(const QString &)> &isPicture, int iMaxFiles)
{
    return walk(szFolder, isPicture, iMaxFiles, false);
}

bool folderHasPictures(const QString &szFolder,
                       const std::function<bool(const QString &)> &isPicture, int iMaxFiles)
{
    return !walk(szFolder, isPicture, iMaxFiles, true).pictures.isEmpty();
}

bool nameBefore(const QString &a, const QString &b)
{
    const int c = nameCollator().compare(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    if (c != 0)
        return c < 0;
    return a < b;
}

bool takenBefore(const QString &a, const PictureFacts &fa, const QString &b, const PictureFacts &fb)
{
    if (fa.taken.isValid() != fb.taken.isValid())
        return fa.taken.isValid();
    if (fa.taken.isValid()) {
        const qint64 ta = fa.taken.toMSecsSinceEpoch(), tb = fb.taken.toMSecsSinceEpoch();
        if (ta != tb)
            return ta < tb;
    }
    return nameBefore(a, b);
}

QStringList orderByDateTaken(const QStringList &paths, QList<PictureFacts> *pFacts)
{
    QList<PictureFacts> facts;
    facts.reserve(paths.size());
    for (const QString &szPath : paths)
        facts << readPictureFacts(szPath);
    std::vector<int> order(size_t(paths.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return takenBefore(paths[a], facts[a], paths[b], facts[b]);
    });
    QStringList sorted;
    QList<PictureFacts> sortedFacts;
    for (int i : order) {
        sorted << paths[i];
        sortedFacts << facts[i];
    }
    if (pFacts)
        *pFacts = sortedFacts;
    return sorted;
}
