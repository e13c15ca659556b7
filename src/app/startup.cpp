// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up sequence.
#include "startup.h"

#include "catchhelperdll.h"
#include "cqappsingle.h"
#include "crashobserver.h"

#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqthememgr.h"
#include "places.h"
#include "zodozadar.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <memory>

QSize mainWindowSize(const QSize &stAvailable)
{
    const double lfW = stAvailable.width(), lfH = stAvailable.height();
    const int iW = static_cast<int>(lfW - 2 * std::trunc(lfW * 509 / 1920));
    const int iH = static_cast<int>(lfH - 2 * std::trunc(lfH * 250 / 1080));
    return QSize(iW, iH);
}

std::optional<UiLanguage> uiLanguageFromName(const QString &szName)
{
    // "zh_CN.UTF-8@modifier" and "zh-Hans-CN" alike: codeset and modifier go, the rest splits
    // into language, script and region.
    QString szBase = szName.trimmed();
    szBase = szBase.left(szBase.indexOf(QLatin1Char('@')));
    szBase = szBase.left(szBase.indexOf(QLatin1Char('.')));
    const QStringList parts =
        szBase.toLower().split(QRegularExpression(QStringLiteral("[-_]")), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    const QString &szLanguage = parts.first();
    if (szLanguage == QLatin1String("en") || szLanguage == QLatin1String("c") ||
        szLanguage == QLatin1String("posix"))
        return UiLanguage::English;
    if (szLanguage != QLatin1String("zh"))
        return std::nullopt;
    for (const QString &szPart : parts.mid(1)) {
        if (szPart == QLatin1String("hant") || szPart == QLatin1String("tw") ||
            szPart == QLatin1String("hk") || szPart == QLatin1String("mo"))
            return std::nullopt;
    }
    return UiLanguage::Chinese;
}

QString forcedLanguageName(const QStringList &arguments, const QString &szEnvironment)
{
    QString szForced = szEnvironment;
    // The first argument is the program; a later --lang overrides an earlier one.
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &szArg = arguments.at(i);
        if (szArg == QLatin1String("--lang") && i + 1 < arguments.size())
            szForced = arguments.at(++i);
        else if (szArg.startsWith(QLatin1String("--lang=")))
            szForced = szArg.mid(7);
    }
    return szForced;
}

namespace {
// The absolute form of a name given relative to szWorkingDir. "." and empty segments go; ".."
// stays, because through a symbolic link it need not lead back where the text says.
QString absolutePath(const QString &szName, const QString &szWorkingDir)
{
    const QString szJoined =
        szName.startsWith(QLatin1Char('/')) ? szName : szWorkingDir + QLatin1Char('/') + szName;
    QStringList segments = szJoined.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    segments.removeAll(QStringLiteral("."));
    return QLatin1Char('/') + segments.join(QLatin1Char('/'));
}
} // namespace

CommandLineFiles commandLineFiles(const QStringList &arguments, const QString &szWorkingDir)
{
    static const QRegularExpression s_otherUrl(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    CommandLineFiles given;
    bool bOptions = true;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &szArg = arguments.at(i);
        if (bOptions && szArg == QLatin1String("--")) {
            bOptions = false;
            continue;
        }
        if (bOptions && szArg.size() > 1 && szArg.startsWith(QLatin1Char('-'))) {
            if (szArg == QLatin1String("--lang"))
                ++i; // its value
            continue;
        }
        if (szArg.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            QUrl url(szArg);
            // This machine by name is this machine; another host's file is not ours to open.
            if (url.host() == QLatin1String("localhost"))
                url.setHost(QString());
            if (url.isLocalFile() && url.host().isEmpty())
                given.files << absolutePath(url.toLocalFile(), szWorkingDir);
            else
                given.notLocal << szArg;
        } else if (s_otherUrl.match(szArg).hasMatch()) {
            given.notLocal << szArg;
        } else {
            given.files << absolutePath(szArg, szWorkingDir);
        }
    }
    return given;
}

UiLanguage chooseUiLanguage(const QStringList &uiLanguages, const QString &szForced)
{
    if (const auto forced = uiLanguageFromName(szForced))
        return *forced;
    for (const QString &szName : uiLanguages) {
        if (const auto language = uiLanguageFromName(szName))
            return *language;
    }
    return UiLanguage::English;
}

namespace {
void preferXcbOnWayland()
{
    // The player hands SDL an X11 window id, which a native Wayland surface does not have.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// Simplified-Chinese sans faces, the one Debian's fonts-noto-cjk installs first.
QStringList chineseUiFamilies()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
}

void substituteUiFont()
{
    // The interface and the watermark name "Microsoft YaHei" and "Microsoft YaHei UI"; on Linux a
    // CJK sans face stands in for them.
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), chineseUiFamilies());
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei UI"), chineseUiFamilies());
}

void installChineseTexts(QApplication &app)
{
    // Relative to the application folder, which is the current directory now.
    auto *pAppTranslator = new QTranslator(&app);
    if (pAppTranslator->load(QStringLiteral("translations/app_zh_CN.qm")))
        app.installTranslator(pAppTranslator);
    // Qt's own texts (standard buttons, file dialog): the copy beside the program, else the
    // system's (qttranslations5-l10n).
    auto *pQtTranslator = new QTranslator(&app);
    if (pQtTranslator->load(QStringLiteral("qtbase_zh_CN"), QStringLiteral("translations")) ||
        pQtTranslator->load(QStringLiteral("qtbase_zh_CN"),
                            QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(pQtTranslator);
    // Widgets without a family of their own get the platform's Latin face, and fontconfig's
    // fallback for Han follows the process locale, which may draw Japanese glyph forms: name
    // simplified-Chinese faces first, the platform's face last.
    QFont stFont = QApplication::font();
    stFont.setFamilies(chineseUiFamilies() << stFont.family());
    QApplication::setFont(stFont);
}

void installEnglishTexts(QApplication &app)
{
    // The source texts are kept as they were first written, keys and drafts among them
    // ("tipMinimize", "setting"); the English catalogue gives their finished wording. Qt's own
    // texts are English already.
    auto *pAppTranslator = new QTranslator(&app);
    if (pAppTranslator->load(QStringLiteral("translations/app_en.qm")))
        app.installTranslator(pAppTranslator);
}

// Pictures with words in them (the player's placeholder) come in a variant per language, which
// Qt's resource system picks by the default locale, and dates are written in it: make it the
// interface's language when the system's is another.
void followInterfaceLocale(UiLanguage language)
{
    const QLocale locale = interfaceLocale(language, QLocale::system());
    if (locale != QLocale::system())
        QLocale::setDefault(locale);
}

} // namespace

QLocale interfaceLocale(UiLanguage language, const QLocale &system)
{
    // Traditional-script Chinese systems have no texts of their own: the simplified ones come
    // with their forms.
    if (language == UiLanguage::Chinese)
        return system.language() == QLocale::Chinese &&
                       system.script() != QLocale::TraditionalChineseScript
                   ? system
                   : QLocale(QLocale::Chinese, QLocale::China);
    // The C locale (no language set) keeps its plain forms, as it always has.
    const bool bEnglish = system.language() == QLocale::English || system.language() == QLocale::C;
    return bEnglish ? system : QLocale(QLocale::English, QLocale::UnitedStates);
}

namespace {
void printLine(const QString &szLine)
{
    std::fputs((szLine + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

// For the terminal: why the editor took none of these files, one line each.
void reportNotOpened(const QStringList &files, bool bBusy)
{
    for (const QString &szFile : files) {
        const QFileInfo info(szFile);
        QString szWhy;
        if (bBusy)
            szWhy = QStringLiteral("the window is busy with another task");
        else if (!info.exists())
            szWhy = QStringLiteral("no such file");
        else if (info.isDir())
            szWhy = QStringLiteral("a folder");
        else
            szWhy = QStringLiteral(
                "not a JPEG, PNG, HEIC, AVIF or WebP picture or an album (.vmalbum)");
        printLine(QStringLiteral("VMAlbum: \"%1\" not opened: %2").arg(szFile, szWhy));
    }
}

void installUiLanguage(QApplication &app)
{
    const QString szForced =
        forcedLanguageName(QCoreApplication::arguments(), qEnvironmentVariable("VMALBUM_LANG"));
    if (!szForced.isEmpty() && !uiLanguageFromName(szForced))
        std::fprintf(stderr,
                     "VMAlbum: no interface texts for \"%s\" (zh_CN or en); following the "
                     "locale\n",
                     szForced.toLocal8Bit().constData());
    const UiLanguage language = chooseUiLanguage(QLocale::system().uiLanguages(), szForced);
    if (language == UiLanguage::Chinese)
        installChineseTexts(app);
    else
        installEnglishTexts(app);
    followInterfaceLocale(language);
}

// Where the album being edited is kept until the quit question lets it go.
QString sessionStateFolder()
{
    QString szBase = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(szBase))
        szBase = QDir::homePath() + QStringLiteral("/.local/state");
    return szBase + QStringLiteral("/VelmoraAlbum");
}
} // namespace

int runApplication(int &argc, char **argv, const StartupOptions &stOptions)
{
    preferXcbOnWayland();
    // FFmpeg's notes (an encoder's settings and statistics at every export) are for developers:
    // a desktop program's terminal gets its warnings and errors only.
    av_log_set_level(AV_LOG_WARNING);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    CQAppSingle app(argc, argv);
    // Before the working directory changes: relative names are the user's. Qt's own options are
    // gone from the arguments by now.
    const CommandLineFiles given =
        commandLineFiles(QCoreApplication::arguments(), QDir::currentPath());
    for (const QString &szAddress : given.notLocal)
        printLine(QStringLiteral("VMAlbum: \"%1\" not opened: not a local file").arg(szAddress));
    // At once: the running window wakes only when the knock ends.
    if (app.isRunning() && !app.handOver(given.files))
        printLine(QStringLiteral("VMAlbum: the running window did not take the files"));
    // The translators come before the crash catcher, so that its message boxes speak the
    // interface's language; they are found relative to the executable's folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    installUiLanguage(app);
    // Static, not on this frame: the catcher keeps the pointer and may still report a crash in
    // the process's last moments, after this function returned.
    static CBLLDumpCatchUpload s_crashObserver;
    CCatchHelperDll catchHelper(stOptions.pMessageBox, stOptions.szCatchHelperFolder);
    if (IBLLDumpCatchExport *pExport = catchHelper.exportInterface()) {
        if (IBLLDumpCatchMgr *pMgr = pExport->getDumpCatchMgr())
            pMgr->registerObserver(&s_crashObserver);
    }
    if (app.isRunning())
        return 1;

    app.setStyleSheet(QStringLiteral("*{outline:0px;}"));
    Places::enable();
    substituteUiFont();
    auto pDialogMgr = std::make_unique<ShareCode::CQDialogExMgr>();
    auto pThemeMgr = std::make_unique<ShareCode::CQThemeMgr>();
    auto pShadowMgr = std::make_unique<ShareCode::CBLLUIShadowMgr>();

    int iExitCode = 0;
    {
        auto pFrame = std::make_unique<ShareCode::CFramelessWindow>();
        auto *pEditor = new ZodoZadar(pFrame.get());
        app.mainWindow = pFrame.get();
        pFrame->addContentWidget(pEditor);
        pFrame->show();
        QScreen *pScreen = pFrame->screen();
        if (!pScreen)
            pScreen = QGuiApplication::primaryScreen();
        const Places::WindowPlace place = Places::windowPlace();
        if (pScreen) {
            // The size the window was left at, within this screen; the first time, the rule's.
            const QSize stAvailable = pScreen->availableGeometry().size();
            pFrame->resize(place.size.isValid()
                               ? place.size.boundedTo(stAvailable).expandedTo(pFrame->minimumSize())
                               : mainWindowSize(stAvailable));
        }
        // Where no window manager places it, the window would sit in the screen's corner.
        ShareCode::CQWidgetEx::centerWidget(pFrame.get());
        if (place.bMaximized)
            pFrame->on_btnMax_clicked();
        if (stOptions.fnWindowShown) {
            ShareCode::CFramelessWindow *pShown = pFrame.get();
            QTimer::singleShot(0, pShown,
                               [&stOptions, pShown] { stOptions.fnWindowShown(pShown); });
        }
        auto openGiven = [pEditor, &stOptions](const QStringList &files) {
            const bool bOpened = pEditor->openFiles(files);
            if (!bOpened)
                reportNotOpened(files, !pEditor->workflow().idle());
            if (stOptions.fnFilesGiven)
                stOptions.fnFilesGiven(files, bOpened);
        };
        // Queued: the import starts from the event loop, not inside the reading of the knock.
        QObject::connect(&app, &CQAppSingle::filesHandedOver, pEditor, openGiven,
                         Qt::QueuedConnection);
        // The album left by a session that ended abnormally is offered first; files given now
        // come after the answer (and are undone back to it).
        QTimer::singleShot(0, pEditor, [pEditor, openGiven, files = given.files] {
            pEditor->startSession(sessionStateFolder());
            if (!files.isEmpty())
                openGiven(files);
        });
        iExitCode = app.exec();
        // Kept for the next start; a maximised window keeps the normal size it had before.
        Places::rememberWindowPlace(pFrame->isMaximized() ? QSize() : pFrame->size(),
                                    pFrame->isMaximized());
        app.mainWindow = nullptr;
        delete pEditor;
        pFrame.reset();
    }
    pShadowMgr.reset();
    pThemeMgr.reset();
    pDialogMgr.reset();
    return iExitCode;
}
