// SPDX-License-Identifier: GPL-3.0-or-later
// Folder walk and the orders of pictures by date and by name.
#include "folderwalk.h"

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
    return QStringLiteral("%1:%2").arg(QString::number(quint64(st.st_dev)),
                                       QString::number(quint64(st.st_ino)));
}

// Runs of digits compare by their value, the rest letter by letter with case aside, so that
// "IMG_9" comes before "IMG_10" whatever collation the system offers.
int naturalCompare(const QString &a, const QString &b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Leading zeros aside, a longer run is a larger number.
            int si = i, sj = j;
            while (si + 1 < ei && a[si] == QLatin1Char('0'))
                ++si;
            while (sj + 1 < ej && b[sj] == QLatin1Char('0'))
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            const int c = QStringRef(&a, si, ei - si).compare(QStringRef(&b, sj, ej - sj));
            if (c != 0)
                return c;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
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
    const int c = naturalCompare(QFileInfo(a).fileName(), QFileInfo(b).fileName());
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

QStringList withoutLivePhotoVideos(const QStringList &files, int *pDropped)
{
    static const QStringList kVideoSuffixes{QStringLiteral("mov"), QStringLiteral("mp4")};
    const auto stem = [](const QFileInfo &info) {
        return info.absolutePath() + QLatin1Char('/') + info.completeBaseName().toLower();
    };
    QSet<QString> pictures;
    for (const QString &szFile : files) {
        const QFileInfo info(szFile);
        if (!kVideoSuffixes.contains(info.suffix().toLower()))
            pictures.insert(stem(info));
    }
    QStringList kept;
    int dropped = 0;
    for (const QString &szFile : files) {
        const QFileInfo info(szFile);
        if (kVideoSuffixes.contains(info.suffix().toLower()) && pictures.contains(stem(info)))
            ++dropped;
        else
            kept << szFile;
    }
    if (pDropped)
        *pDropped = dropped;
    return kept;
}
