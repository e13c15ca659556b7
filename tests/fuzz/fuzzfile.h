// A scratch file per fuzzing process: the engine opens pictures and music by path.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>

#include <unistd.h>

namespace fuzzfile {

// The path of this process's scratch file, removed at exit. The name ends with `suffix` because
// the import dialogs only offer files with the usual extensions.
inline const QString &path(const char *suffix)
{
    static const QString p = [suffix] {
        const QString name =
            QStringLiteral("%1/vm-fuzz-%2%3")
                .arg(QDir::tempPath(), QString::number(getpid()), QString::fromLatin1(suffix));
        static QByteArray removeAtExit;
        removeAtExit = QFile::encodeName(name);
        std::atexit([] { ::unlink(removeAtExit.constData()); });
        return name;
    }();
    return p;
}

inline bool write(const QString &szPath, const uint8_t *data, size_t size)
{
    QFile f(szPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return size == 0 || f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

} // namespace fuzzfile
