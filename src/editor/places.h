// SPDX-License-Identifier: GPL-3.0-or-later
// What the program remembers between runs: the folder each chooser last used, and recent albums.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace Places {

enum class Kind
{
    Pictures,
    Watermark,
    Music,
    Album,
};

// Kept in a small settings file under $XDG_CONFIG_HOME once enabled (the program enables it at
// start-up; tests give a file of their own). Until then nothing is read or written, and every
// chooser starts where it always did.
void enable(const QString &szSettingsFile = QString());
void disable();
bool enabled();
QString settingsFile();

// The folder to start the chooser of `kind` in: the last one used while it still exists, else
// the desktop (the first time).
QString startFolder(Kind kind);
// Remembers the folder of a file just chosen.
void rememberFile(Kind kind, const QString &szFile);

// Album files, the latest first, at most kMaxRecent; files that went away are left out.
constexpr int kMaxRecent = 10;
QStringList recentAlbums();
void addRecentAlbum(const QString &szFile);
void clearRecentAlbums();

// The main window as it was left: its size when not maximised (invalid until first left) and
// whether it was maximised.
struct WindowPlace
{
    QSize size;
    bool bMaximized = false;
};
WindowPlace windowPlace();
// An invalid size keeps the one remembered (a window left maximised keeps its normal size).
void rememberWindowPlace(const QSize &stSize, bool bMaximized);

} // namespace Places
