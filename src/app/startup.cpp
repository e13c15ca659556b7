// Start-up sequence.
#include "startup.h"

#include "catchhelperdll.h"
#include "cqappsingle.h"
#include "crashobserver.h"

#include "cblluishadowmgr.h"
#include "cframelesswindow.h"
#include "cqdialogex.h"
#include "cqthememgr.h"
#include "zodozadar.h"

#include <QDir>
#include <QFont>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <cmath>
#include <memory>

QSize mainWindowSize(const QSize &stAvailable)
{
    const double lfW = stAvailable.width(), lfH = stAvailable.height();
    const int iW = static_cast<int>(lfW - 2 * std::trunc(lfW * 509 / 1920));
    const int iH = static_cast<int>(lfH - 2 * std::trunc(lfH * 250 / 1080));
    return QSize(iW, iH);
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

void substituteUiFont()
{
    // The interface names "Microsoft YaHei"; on Linux a CJK sans face stands in for it.
    QFont::insertSubstitutions(
        QStringLiteral("Microsoft YaHei"),
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
         QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")});
}
} // namespace

int runApplication(int &argc, char **argv, const StartupOptions &stOptions)
{
    preferXcbOnWayland();
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    CQAppSingle app(argc, argv);
    // Static, not on this frame: the catcher keeps the pointer and may still report a crash in
    // the process's last moments, after this function returned.
    static CBLLDumpCatchUpload s_crashObserver;
    CCatchHelperDll catchHelper(stOptions.pMessageBox, stOptions.szCatchHelperFolder);
    if (IBLLDumpCatchExport *pExport = catchHelper.exportInterface()) {
        if (IBLLDumpCatchMgr *pMgr = pExport->getDumpCatchMgr())
            pMgr->registerObserver(&s_crashObserver);
    }
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    if (app.isRunning())
        return 1;

    app.setStyleSheet(QStringLiteral("*{outline:0px;}"));
    substituteUiFont();
    auto pDialogMgr = std::make_unique<ShareCode::CQDialogExMgr>();
    auto pThemeMgr = std::make_unique<ShareCode::CQThemeMgr>();
    auto pShadowMgr = std::make_unique<ShareCode::CBLLUIShadowMgr>();

    // Relative to the application folder, which is the current directory now.
    auto *pAppTranslator = new QTranslator(&app);
    pAppTranslator->load(QStringLiteral("translations/app_zh_CN.qm"));
    app.installTranslator(pAppTranslator);
    auto *pQtTranslator = new QTranslator(&app);
    pQtTranslator->load(QStringLiteral("translations/qt_zh_CN.qm"));
    app.installTranslator(pQtTranslator);

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
        if (pScreen)
            pFrame->resize(mainWindowSize(pScreen->availableGeometry().size()));
        // Where no window manager places it, the window would sit in the screen's corner.
        ShareCode::CQWidgetEx::centerWidget(pFrame.get());
        if (stOptions.fnWindowShown) {
            ShareCode::CFramelessWindow *pShown = pFrame.get();
            QTimer::singleShot(0, pShown,
                               [&stOptions, pShown] { stOptions.fnWindowShown(pShown); });
        }
        iExitCode = app.exec();
        app.mainWindow = nullptr;
        delete pEditor;
        pFrame.reset();
    }
    pShadowMgr.reset();
    pThemeMgr.reset();
    pDialogMgr.reset();
    return iExitCode;
}
