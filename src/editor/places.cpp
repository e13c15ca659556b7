// SPDX-License-Identifier: GPL-3.0-or-later
// What the program remembers between runs, in an INI file.
#include "places.h"

#include "startfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace Places {

namespace {
std::unique_ptr<QSettings> &settings()
{
    static std::unique_ptr<QSettings> s;
    return s;
}

QString keyFor(Kind kind)
{
    switch (kind) {
    case Kind::Pictures:
        return QStringLiteral("folders/pictures");
    case Kind::Watermark:
        return QStringLiteral("folders/watermark");
    case Kind::Music:
        return QStringLiteral("folders/music");
    case Kind::Album:
        return QStringLiteral("folders/album");
    }
    return QString();
}

const QString kRecentKey = QStringLiteral("albums/recent");
const QString kWindowSizeKey = QStringLiteral("window/size");
const QString kWindowMaximizedKey = QStringLiteral("window/maximized");
} // namespace

void enable(const QString &szSettingsFile)
{
    QString szFile = szSettingsFile;
    if (szFile.isEmpty())
        szFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/VelmoraAlbum/VelmoraAlbum.conf");
    settings() = std::make_unique<QSettings>(szFile, QSettings::IniFormat);
}

void disable()
{
    settings().reset();
}

bool enabled()
{
    return settings() != nullptr;
}

QString settingsFile()
{
    return settings() ? settings()->fileName() : QString();
}

QString startFolder(Kind kind)
{
    if (!settings())
        return StartFolders::desktop();
    return StartFolders::existingOrDesktop(settings()->value(keyFor(kind)).toString());
}

void rememberFile(Kind kind, const QString &szFile)
{
    if (!settings() || szFile.isEmpty())
        return;
    settings()->setValue(keyFor(kind), QFileInfo(szFile).absolutePath());
    settings()->sync();
}

QStringList recentAlbums()
{
    if (!settings())
        return {};
    QStringList existing;
    for (const QString &szFile : settings()->value(kRecentKey).toStringList()) {
        if (QFileInfo(szFile).isFile())
            existing << szFile;
    }
    return existing;
}

void addRecentAlbum(const QString &szFile)
{
    if (!settings() || szFile.isEmpty())
        return;
    const QString szPath = QFileInfo(szFile).absoluteFilePath();
    QStringList recent = settings()->value(kRecentKey).toStringList();
    recent.removeAll(szPath);
    recent.prepend(szPath);
    while (recent.size() > kMaxRecent)
        recent.removeLast();
    settings()->setValue(kRecentKey, recent);
    settings()->sync();
}

WindowPlace windowPlace()
{
    WindowPlace place;
    if (!settings())
        return place;
    place.size = settings()->value(kWindowSizeKey).toSize();
    place.bMaximized = settings()->value(kWindowMaximizedKey).toBool();
    return place;
}

void rememberWindowPlace(const QSize &stSize, bool bMaximized)
{
    if (!settings())
        return;
    if (stSize.isValid())
        settings()->setValue(kWindowSizeKey, stSize);
    settings()->setValue(kWindowMaximizedKey, bMaximized);
    settings()->sync();
}

void clearRecentAlbums()
{
    if (!settings())
        return;
    settings()->remove(kRecentKey);
    settings()->sync();
}

} // namespace Places
