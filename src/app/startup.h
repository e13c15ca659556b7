// SPDX-License-Identifier: GPL-3.0-or-later
// Program start-up: application object, translations, crash catcher, main window, event loop.
#pragma once

#include <QLocale>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {
class MessageBoxSink;
}
namespace ShareCode {
class CFramelessWindow;
}

struct StartupOptions
{
    platform::MessageBoxSink *pMessageBox = nullptr; // the system's message box when null
    QString szCatchHelperFolder;                     // the executable's folder when empty
    // Runs from the event loop once the main window is shown and sized.
    std::function<void(ShareCode::CFramelessWindow *)> fnWindowShown;
    // Runs each time the editor was given files (from the command line or from another start),
    // with the files and the editor's answer.
    std::function<void(const QStringList &, bool)> fnFilesGiven;
};

// Main window size on a screen with this available area: a margin of 509/1920 of the width and
// 250/1080 of the height on each side, truncated.
QSize mainWindowSize(const QSize &stAvailable);

// The interface languages we have texts for: the program's own English, and Chinese.
enum class UiLanguage
{
    English,
    Chinese
};

// A language as named by a locale ("zh_CN.UTF-8", "zh-Hans-CN", "en_GB", "C") or by the user
// ("zh_CN", "zh", "en"). None for a language we have no texts for; the Chinese texts are
// simplified, so traditional-script Chinese (zh_TW, zh_HK, zh-Hant) is not taken for it.
std::optional<UiLanguage> uiLanguageFromName(const QString &szName);

// The name given with --lang NAME or --lang=NAME in the arguments, else the environment's
// VMALBUM_LANG (szEnvironment); empty when neither is given.
QString forcedLanguageName(const QStringList &arguments, const QString &szEnvironment);

// A usable forced name wins; otherwise the first of the user's preferred languages (as
// QLocale::uiLanguages lists them, from LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that we have texts
// for, as gettext picks; English when none is.
UiLanguage chooseUiLanguage(const QStringList &uiLanguages, const QString &szForced);

// The locale dates and numbers follow: the system's when it speaks the interface's language (its
// own country's forms, en_GB's dates say), else the interface language's own (a German system
// with the English interface writes a caption's {date} in English).
QLocale interfaceLocale(UiLanguage language, const QLocale &system);

// What the command line names besides options: every argument after the program that is not an
// option (--lang NAME, --lang=NAME, or anything else that starts with "-"; after "--", none is).
struct CommandLineFiles
{
    // Absolute: relative names are taken against the working directory, file:// URIs (as desktops
    // pass them) become their paths.
    QStringList files;
    QStringList notLocal; // addresses of other schemes, or of another host, as given
};
CommandLineFiles commandLineFiles(const QStringList &arguments, const QString &szWorkingDir);

// Runs the program; returns the exit code (1 for a second instance).
int runApplication(int &argc, char **argv, const StartupOptions &stOptions = StartupOptions());
