// SPDX-License-Identifier: GPL-3.0-or-later
// Frameless main window.
#include "cframelesswindow.h"

#include "cqthememgr.h"
#include "cquiwindowdragger.h"
#include "qtinversionwidget.h"

#include "powerevents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace ShareCode {

namespace {
const char kVersion[] = "2.1.0";
// Delay before re-applying the window state after a screen's geometry or scale changed.
constexpr int kScreenChangeDelayMs = 200;

// Minimised, maximised and full screen only: windowState() may also carry Qt::WindowActive (a
// second start sets it when it wakes the window), which must not make a normal window look odd.
Qt::WindowStates sizeState(Qt::WindowStates state)
{
    return state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
}

// Caption sprites: four 120-pixel states stacked vertically (normal, hover, pressed, disabled);
// each state is cut out with border-image slices and scaled into the 30-pixel button.
QString spriteRules(const QString &szSelector, const QString &szImage)
{
    const QString szUrl = QStringLiteral("border-image:url(%1) ").arg(szImage);
    return szSelector + QStringLiteral("{border:0px;") + szUrl + QStringLiteral("0 0 360 0;}") +
           szSelector + QStringLiteral(":hover{") + szUrl + QStringLiteral("120 0 240 0;}") +
           szSelector + QStringLiteral(":pressed{") + szUrl + QStringLiteral("240 0 120 0;}") +
           szSelector + QStringLiteral(":disabled{") + szUrl + QStringLiteral("360 0 0 0;}");
}

QString frameStyleSheet()
{
    QString sz = QStringLiteral(
        "#uiFrame[qstyle=\"normal\"]{background-color:#FFFFFF;border:1px solid rgb(221, 223, "
        "228);}"
        "#uiFrame[qstyle=\"max\"]{background-color:#FFFFFF;border:none;}"
        "#uiTitleBar{background-color:#FFFFFF;}"
        "#uiTitleLine,#uiBottomLine{background-color:rgb(243, 243, 243);}"
        "#uiMain{background-color:#FFFFFF;}"
        "#uiBottom{background-color:#FFFFFF;}"
        "#appIcon{border-image:url(:/theme_default/imgs/logo.png);}"
        "#appName{font-family:\"Microsoft YaHei\";font-size:14px;color:#000000;}"
        "#btnOfficeWeb,#btnOnlineKeFu{border:none;background:transparent;font-family:"
        "\"Microsoft YaHei\";font-size:12px;color:#666666;}"
        "#btnOfficeWeb:hover,#btnOnlineKeFu:hover{color:#5C46F4;}"
        "#btnOfficeWeb:pressed,#btnOnlineKeFu:pressed{color:#4A36D8;}"
        "#btnUpDate{border:none;background:transparent;}"
        "#labVersion{font-family:\"Microsoft YaHei\";font-size:12px;color:#999999;}"
        "QToolTip{font-family:\"Microsoft YaHei\";font-size:12px;color:#333333;"
        "background-color:#FFFFFF;border:1px solid #E3E3E8;padding:2px 4px;}");
    sz += spriteRules(QStringLiteral("#btnAppMenu"),
                      QStringLiteral(":/theme_default/imgs/caption/btn_menu.png"));
    sz += spriteRules(QStringLiteral("#btnMini"),
                      QStringLiteral(":/theme_default/imgs/caption/btn_min1.png"));
    sz += spriteRules(QStringLiteral("#btnMax[qstyle=\"max\"]"),
                      QStringLiteral(":/theme_default/imgs/caption/btn_max1.png"));
    sz += spriteRules(QStringLiteral("#btnMax[qstyle=\"restore\"]"),
                      QStringLiteral(":/theme_default/imgs/caption/btn_restore1.png"));
    sz += spriteRules(QStringLiteral("#btnClose"),
                      QStringLiteral(":/theme_default/imgs/caption/btn_close1.png"));
    return sz;
}
} // namespace

namespace Ui {
// The window's form, laid out as the designer would generate it.
struct CFramelessWindowClass
{
    QVBoxLayout *verticalLayout_2;
    QWidget *uiFrame;
    QVBoxLayout *verticalLayout;
    CQUIWindowDragger *uiTitleBar;
    QHBoxLayout *horizontalLayout;
    QLabel *appIcon;
    QLabel *appName;
    QPushButton *btnAppMenu;
    QPushButton *btnMini;
    QPushButton *btnMax;
    QPushButton *btnClose;
    QWidget *uiTitleLine;
    QWidget *uiMain;
    QVBoxLayout *verticalLayout_3;
    QWidget *uiBottomLine;
    QWidget *uiBottom;
    QHBoxLayout *horizontalLayout_2;
    QPushButton *btnOfficeWeb;
    QPushButton *btnOnlineKeFu;
    QWidget *uiWebLayout;
    QHBoxLayout *layoutWebAdv;
    QWidget *webAdv;
    QPushButton *btnUpDate;
    QLabel *labVersion;

    static QPushButton *captionButton(QWidget *pParent, const char *szName)
    {
        auto *pButton = new QPushButton(pParent);
        pButton->setObjectName(QLatin1String(szName));
        pButton->setFixedSize(30, 30);
        pButton->setFocusPolicy(Qt::NoFocus);
        return pButton;
    }

    void setupUi(QWidget *pWindow)
    {
        pWindow->setObjectName(QStringLiteral("CFramelessWindowClass"));
        pWindow->setStyleSheet(frameStyleSheet());
        verticalLayout_2 = new QVBoxLayout(pWindow);
        verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
        verticalLayout_2->setSpacing(0);
        verticalLayout_2->setContentsMargins(0, 0, 0, 0);

        uiFrame = new QWidget(pWindow);
        uiFrame->setObjectName(QStringLiteral("uiFrame"));
        uiFrame->setProperty("qstyle", QStringLiteral("normal"));
        verticalLayout = new QVBoxLayout(uiFrame);
        verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
        verticalLayout->setSpacing(0);
        verticalLayout->setContentsMargins(1, 1, 1, 1);

        uiTitleBar = new CQUIWindowDragger(uiFrame);
        uiTitleBar->setObjectName(QStringLiteral("uiTitleBar"));
        uiTitleBar->setFixedHeight(42);
        horizontalLayout = new QHBoxLayout(uiTitleBar);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setSpacing(6);
        horizontalLayout->setContentsMargins(12, 6, 8, 6);
        appIcon = new QLabel(uiTitleBar);
        appIcon->setObjectName(QStringLiteral("appIcon"));
        appIcon->setFixedSize(30, 30);
        horizontalLayout->addWidget(appIcon);
        appName = new QLabel(uiTitleBar);
        appName->setObjectName(QStringLiteral("appName"));
        appName->setFixedWidth(320);
        horizontalLayout->addWidget(appName);
        horizontalLayout->addStretch(1);
        btnAppMenu = captionButton(uiTitleBar, "btnAppMenu");
        horizontalLayout->addWidget(btnAppMenu);
        btnMini = captionButton(uiTitleBar, "btnMini");
        horizontalLayout->addWidget(btnMini);
        btnMax = captionButton(uiTitleBar, "btnMax");
        btnMax->setProperty("qstyle", QStringLiteral("max"));
        horizontalLayout->addWidget(btnMax);
        btnClose = captionButton(uiTitleBar, "btnClose");
        horizontalLayout->addWidget(btnClose);
        verticalLayout->addWidget(uiTitleBar);

        uiTitleLine = new QWidget(uiFrame);
        uiTitleLine->setObjectName(QStringLiteral("uiTitleLine"));
        uiTitleLine->setFixedHeight(1);
        verticalLayout->addWidget(uiTitleLine);

        uiMain = new QWidget(uiFrame);
        uiMain->setObjectName(QStringLiteral("uiMain"));
        verticalLayout_3 = new QVBoxLayout(uiMain);
        verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
        verticalLayout_3->setSpacing(0);
        verticalLayout_3->setContentsMargins(0, 0, 0, 0);
        verticalLayout->addWidget(uiMain, 1);

        uiBottomLine = new QWidget(uiFrame);
        uiBottomLine->setObjectName(QStringLiteral("uiBottomLine"));
        uiBottomLine->setFixedHeight(1);
        verticalLayout->addWidget(uiBottomLine);

        uiBottom = new QWidget(uiFrame);
        uiBottom->setObjectName(QStringLiteral("uiBottom"));
        uiBottom->setFixedHeight(37);
        horizontalLayout_2 = new QHBoxLayout(uiBottom);
        horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
        horizontalLayout_2->setSpacing(6);
        horizontalLayout_2->setContentsMargins(12, 0, 12, 0);
        btnOfficeWeb = new QPushButton(uiBottom);
        btnOfficeWeb->setObjectName(QStringLiteral("btnOfficeWeb"));
        btnOfficeWeb->setFixedSize(75, 20);
        btnOfficeWeb->setFocusPolicy(Qt::NoFocus);
        horizontalLayout_2->addWidget(btnOfficeWeb);
        btnOnlineKeFu = new QPushButton(uiBottom);
        btnOnlineKeFu->setObjectName(QStringLiteral("btnOnlineKeFu"));
        btnOnlineKeFu->setFixedSize(75, 20);
        btnOnlineKeFu->setFocusPolicy(Qt::NoFocus);
        horizontalLayout_2->addWidget(btnOnlineKeFu);
        uiWebLayout = new QWidget(uiBottom);
        uiWebLayout->setObjectName(QStringLiteral("uiWebLayout"));
        layoutWebAdv = new QHBoxLayout(uiWebLayout);
        layoutWebAdv->setObjectName(QStringLiteral("layoutWebAdv"));
        layoutWebAdv->setContentsMargins(10, 0, 0, 0);
        // The advertisement web view is not built: an empty placeholder keeps the layout.
        webAdv = new QWidget(uiWebLayout);
        webAdv->setObjectName(QStringLiteral("webAdv"));
        layoutWebAdv->addWidget(webAdv);
        horizontalLayout_2->addWidget(uiWebLayout, 1);
        btnUpDate = new QPushButton(uiBottom);
        btnUpDate->setObjectName(QStringLiteral("btnUpDate"));
        btnUpDate->setFixedWidth(16);
        horizontalLayout_2->addWidget(btnUpDate);
        labVersion = new QLabel(uiBottom);
        labVersion->setObjectName(QStringLiteral("labVersion"));
        labVersion->setFixedWidth(85);
        labVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        horizontalLayout_2->addWidget(labVersion);
        verticalLayout->addWidget(uiBottom);

        verticalLayout_2->addWidget(uiFrame);
        retranslateUi(pWindow);
    }

    void retranslateUi(QWidget *pWindow)
    {
        pWindow->setWindowTitle(QCoreApplication::translate("CFramelessWindow", "VelmoraAlbum"));
        appName->setText(QCoreApplication::translate("CFramelessWindow", "VelmoraAlbum"));
        btnAppMenu->setToolTip(QCoreApplication::translate("CFramelessWindowClass", "appMenu"));
        btnMini->setToolTip(QCoreApplication::translate("CFramelessWindowClass", "tipMinimize"));
        btnMax->setToolTip(QCoreApplication::translate("CFramelessWindowClass", "tipMaximize"));
        btnClose->setToolTip(QCoreApplication::translate("CFramelessWindowClass", "tipClose"));
        // Named apart from the tooltips, whose source texts are keys.
        btnAppMenu->setAccessibleName(QCoreApplication::translate("CFramelessWindowClass", "Menu"));
        btnMini->setAccessibleName(
            QCoreApplication::translate("CFramelessWindowClass", "Minimize"));
        btnMax->setAccessibleName(QCoreApplication::translate("CFramelessWindowClass", "Maximize"));
        btnClose->setAccessibleName(QCoreApplication::translate("CFramelessWindowClass", "Close"));
        btnOfficeWeb->setText(QCoreApplication::translate("CFramelessWindowClass", "Website"));
        btnOnlineKeFu->setText(QCoreApplication::translate("CFramelessWindowClass", "Support"));
    }
};
} // namespace Ui

void CFramelessWindow::setTitleText(const QString &szTitle)
{
    const QString szShown = szTitle.isEmpty()
                                ? QCoreApplication::translate("CFramelessWindow", "VelmoraAlbum")
                                : szTitle;
    setWindowTitle(szShown);
    ui->appName->setText(
        ui->appName->fontMetrics().elidedText(szShown, Qt::ElideMiddle, ui->appName->width()));
    ui->appName->setToolTip(szShown == ui->appName->text() ? QString() : szShown);
}

QString CFramelessWindow::titleText() const
{
    return windowTitle();
}

QString CFramelessWindow::versionText()
{
    return QString::fromLatin1(kVersion);
}

QPushButton *CFramelessWindow::menuButton() const
{
    return ui->btnAppMenu;
}

CFramelessWindow::CFramelessWindow(QWidget *parent, platform::PowerEventSource *pPowerEvents)
    : CQWidgetEx(parent), ui(new Ui::CFramelessWindowClass)
{
    setupWindow();
    if (CQThemeMgr *pTheme = CQThemeMgr::instance())
        pTheme->apply(this);

    if (!pPowerEvents)
        pPowerEvents = platform::createSystemPowerEventSource(this);
    connect(pPowerEvents, &platform::PowerEventSource::suspending, this,
            &CFramelessWindow::sltSystemSuspend);
    connect(pPowerEvents, &platform::PowerEventSource::resumed, this,
            &CFramelessWindow::sltSystemResume);
}

CFramelessWindow::~CFramelessWindow()
{
    qApp->removeEventFilter(this);
}

void CFramelessWindow::setupWindow()
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_TranslucentBackground, false);
    setMinimumSize(902, 580);
    resize(902, 580);
    ui->setupUi(this);
    ui->labVersion->setText(
        QCoreApplication::translate("CFramelessWindow", "版本：v%1").arg(QLatin1String(kVersion)));
    m_caption.attach(ui->btnAppMenu);
    m_bottom.attach(ui->btnOfficeWeb, ui->btnOnlineKeFu, ui->btnUpDate, ui->webAdv);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &CFramelessWindow::on_applicationStateChanged);
    // The by-name slots, connected explicitly: connectSlotsByName would also try (and warn about)
    // on_applicationStateChanged, which has no sender of that name.
    connect(ui->btnMini, &QPushButton::clicked, this, &CFramelessWindow::on_btnMini_clicked);
    connect(ui->btnMax, &QPushButton::clicked, this, &CFramelessWindow::on_btnMax_clicked);
    connect(ui->btnClose, &QPushButton::clicked, this, &CFramelessWindow::on_btnClose_clicked);
    connect(ui->uiTitleBar, &CQUIWindowDragger::doubleClicked, this,
            &CFramelessWindow::on_uiTitleBar_doubleClicked);

    setMouseTracking(true);
    qApp->installEventFilter(this);
    const auto screens = QGuiApplication::screens();
    for (QScreen *pScreen : screens)
        watchScreen(pScreen);
    connect(qApp, &QGuiApplication::screenAdded, this, &CFramelessWindow::watchScreen);

    m_pInversion = new QtInversionWidget(this);
    m_pInversion->showAnchor();
}

void CFramelessWindow::watchScreen(QScreen *pScreen)
{
    connect(pScreen, &QScreen::geometryChanged, this,
            qOverload<QRect>(&CFramelessWindow::sltDpiChangeHandle), Qt::QueuedConnection);
}

void CFramelessWindow::addContentWidget(QWidget *pWidget)
{
    ui->verticalLayout_3->addWidget(pWidget);
}

bool CFramelessWindow::isFrameButton(QObject *pObject) const
{
    return pObject == ui->btnAppMenu || pObject == ui->btnMini || pObject == ui->btnMax ||
           pObject == ui->btnClose || pObject == ui->btnOfficeWeb || pObject == ui->btnOnlineKeFu ||
           pObject == ui->btnUpDate;
}

Qt::Edges CFramelessWindow::hitTest(const QPoint &stGlobal) const
{
    const QRect g = geometry();
    const int px = stGlobal.x(), py = stGlobal.y(), b = m_border;
    const bool bLeft = g.x() <= px && px <= g.x() + b;
    const bool bRight = g.x() + g.width() - b <= px && px <= g.x() + g.width();
    const bool bTop = g.y() <= py && py <= g.y() + b;
    const bool bBottom = g.y() + g.height() - b <= py && py <= g.y() + g.height();
    // Tested in this order; the first match wins.
    if (bLeft && bTop)
        return Qt::TopEdge | Qt::LeftEdge;
    if (bRight && bTop)
        return Qt::TopEdge | Qt::RightEdge;
    if (bLeft && bBottom)
        return Qt::LeftEdge | Qt::BottomEdge;
    if (bRight && bBottom)
        return Qt::RightEdge | Qt::BottomEdge;
    if (bTop)
        return Qt::TopEdge;
    if (bLeft)
        return Qt::LeftEdge;
    if (bRight)
        return Qt::RightEdge;
    if (bBottom)
        return Qt::BottomEdge;
    return Qt::Edges();
}

Qt::CursorShape CFramelessWindow::cursorForEdges(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        return Qt::SizeBDiagCursor;
    if (edges == Qt::TopEdge || edges == Qt::BottomEdge)
        return Qt::SizeVerCursor;
    if (edges == Qt::LeftEdge || edges == Qt::RightEdge)
        return Qt::SizeHorCursor;
    return Qt::ArrowCursor;
}

void CFramelessWindow::setEdges(Qt::Edges edges)
{
    m_bTop = edges.testFlag(Qt::TopEdge);
    m_bLeft = edges.testFlag(Qt::LeftEdge);
    m_bRight = edges.testFlag(Qt::RightEdge);
    m_bBottom = edges.testFlag(Qt::BottomEdge);
}

bool CFramelessWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (mouseMoveHandler(static_cast<QMouseEvent *>(event)))
            return true;
        if (isFrameButton(watched))
            static_cast<QWidget *>(watched)->setCursor(Qt::PointingHandCursor);
        break;
    case QEvent::MouseButtonPress:
        if (watched == this || watched->objectName() == QLatin1String("uiTitleBar"))
            mousePressHandler(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseButtonRelease:
        if (m_bResizing)
            mouseReleaseHandler(static_cast<QMouseEvent *>(event));
        if (isFrameButton(watched))
            static_cast<QWidget *>(watched)->setCursor(Qt::ArrowCursor);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool CFramelessWindow::mousePressHandler(QMouseEvent *event)
{
    if (isMaximized())
        return false;
    m_bResizing = true;
    m_stPressGeometry = geometry();
    const QPoint stGlobal = event->globalPos();
    const Qt::Edges edges = hitTest(stGlobal);
    setEdges(edges);
    if (edges)
        setCursor(cursorForEdges(edges));
    return false;
}

bool CFramelessWindow::mouseMoveHandler(QMouseEvent *event)
{
    if (isMaximized())
        return false;
    const QPoint stGlobal = event->globalPos();
    if (!m_bResizing) {
        const Qt::Edges edges = hitTest(stGlobal);
        setEdges(edges);
        setCursor(cursorForEdges(edges));
        return false;
    }
    if (!(m_bTop || m_bLeft || m_bRight || m_bBottom))
        return false;

    const QRect &press = m_stPressGeometry;
    const int iMinW = minimumWidth(), iMinH = minimumHeight();
    const int iMaxW = maximumWidth(), iMaxH = maximumHeight();
    // Edges as positions: a QRect's right()/bottom() are one short of the edge.
    int iLeft = press.left(), iTop = press.top();
    int iRight = press.right() + m_one, iBottom = press.bottom() + m_one;
    if (m_bLeft) {
        iLeft = stGlobal.x();
        if (iRight - iLeft < iMinW)
            iLeft = iRight - iMinW;
    }
    if (m_bTop) {
        iTop = stGlobal.y();
        if (iBottom - iTop < iMinH)
            iTop = iBottom - iMinH;
    }
    if (m_bRight)
        iRight = stGlobal.x();
    if (m_bBottom)
        iBottom = stGlobal.y();
    int iW = iRight - iLeft, iH = iBottom - iTop;
    const bool bCorner = (m_bTop || m_bBottom) && (m_bLeft || m_bRight);
    if (bCorner && (iW > iMaxW || iH > iMaxH))
        return true;
    if (!m_bLeft)
        iW = qBound(iMinW, iW, iMaxW);
    if (!m_bTop)
        iH = qBound(iMinH, iH, iMaxH);
    m_iResizeX = iLeft;
    m_iResizeY = iTop;
    setGeometry(m_iResizeX, m_iResizeY, iW, iH);
    return true;
}

bool CFramelessWindow::mouseReleaseHandler(QMouseEvent *)
{
    if (isMaximized())
        return false;
    m_bResizing = false;
    const bool bHadEdges = m_bTop || m_bLeft || m_bRight || m_bBottom;
    setEdges(Qt::Edges());
    if (bHadEdges)
        setCursor(Qt::ArrowCursor);
    return false;
}

QRect CFramelessWindow::availableGeometry() const
{
    QScreen *pScreen = screen();
    if (!pScreen)
        pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->availableGeometry() : geometry();
}

void CFramelessWindow::setMaxButtonLook(bool bMaximized)
{
    setStyleProperty(ui->btnMax, "qstyle",
                     bMaximized ? QStringLiteral("restore") : QStringLiteral("max"));
    ui->btnMax->setToolTip(bMaximized
                               ? QCoreApplication::translate("CFramelessWindow", "tipRestore")
                               : QCoreApplication::translate("CFramelessWindow", "tipMaximize"));
    ui->btnMax->setAccessibleName(
        bMaximized ? QCoreApplication::translate("CFramelessWindow", "Restore")
                   : QCoreApplication::translate("CFramelessWindow", "Maximize"));
}

void CFramelessWindow::applyNormalLook()
{
    ui->verticalLayout->setContentsMargins(m_one, m_one, m_one, m_one);
    setStyleProperty(ui->uiFrame, "qstyle", QStringLiteral("normal"));
}

void CFramelessWindow::applyMaximizedLook()
{
    ui->verticalLayout->setContentsMargins(0, 0, 0, 0);
    setStyleProperty(ui->uiFrame, "qstyle", QStringLiteral("max"));
}

void CFramelessWindow::on_btnMax_clicked()
{
    if (isMaximized()) {
        setMaxButtonLook(false);
        showNormal();
        setWindowState(Qt::WindowNoState);
        resize(m_stNormalGeometry.size());
        return;
    }
    m_stNormalGeometry = geometry();
    showMaximized();
    // The screen's available area, so that panels and task bars stay visible.
    setGeometry(availableGeometry());
    setWindowState(Qt::WindowMaximized);
    setMaxButtonLook(true);
    applyMaximizedLook();
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(ui->btnMax, &leave);
}

void CFramelessWindow::on_btnMini_clicked()
{
    setWindowState(Qt::WindowMinimized);
}

void CFramelessWindow::on_btnClose_clicked()
{
    emit signal_close();
}

void CFramelessWindow::on_uiTitleBar_doubleClicked()
{
    const Qt::WindowStates state = sizeState(windowState());
    if (state == Qt::WindowNoState || state.testFlag(Qt::WindowFullScreen) ||
        state.testFlag(Qt::WindowMaximized))
        on_btnMax_clicked();
}

void CFramelessWindow::on_applicationStateChanged(Qt::ApplicationState)
{
    const Qt::WindowStates state = sizeState(windowState());
    if (state == Qt::WindowNoState)
        applyNormalLook();
    else if (state.testFlag(Qt::WindowFullScreen))
        applyMaximizedLook();
}

void CFramelessWindow::sltDpiChangeHandle(QRect stRect)
{
    if (sender() == screen() || !stRect.isValid())
        QTimer::singleShot(kScreenChangeDelayMs, this, &CFramelessWindow::reApplyWindowState);
}

void CFramelessWindow::sltDpiChangeHandle(int iScreen)
{
    const int iHere = QGuiApplication::screens().indexOf(QGuiApplication::screenAt(pos()));
    if (iHere == iScreen)
        QTimer::singleShot(kScreenChangeDelayMs, this, &CFramelessWindow::reApplyWindowState);
}

void CFramelessWindow::sltAdjustDpiHandle()
{
    reApplyWindowState();
}

void CFramelessWindow::sltAdvFinished()
{
    // The advertisement panel is not built; nothing to announce.
}

void CFramelessWindow::reApplyWindowState()
{
    // Switching twice makes the platform recompute the frame at the new scale.
    if (isMaximized()) {
        showNormal();
        showMaximized();
        setGeometry(availableGeometry());
        setWindowState(Qt::WindowMaximized);
    } else {
        showMaximized();
        showNormal();
        setWindowState(Qt::WindowNoState);
    }
}

void CFramelessWindow::sltSystemSuspend()
{
    emit signal_screenOut();
    // Keeps the maximised flag so that the resume brings the window back maximised.
    setWindowState(windowState() | Qt::WindowMinimized);
}

void CFramelessWindow::sltSystemResume()
{
    if (isMaximized()) {
        showMaximized();
        setGeometry(availableGeometry());
        setWindowState(Qt::WindowMaximized);
    } else {
        showNormal();
        setWindowState(Qt::WindowNoState);
    }
}

void CFramelessWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates state = sizeState(windowState());
        if (state == Qt::WindowNoState) {
            setMaxButtonLook(false);
            applyNormalLook();
        } else if (state.testFlag(Qt::WindowMaximized)) {
            setMaxButtonLook(true);
            applyMaximizedLook();
        }
        event->ignore();
        return;
    }
    CQWidgetEx::changeEvent(event);
}

void CFramelessWindow::moveEvent(QMoveEvent *event)
{
    CQWidgetEx::moveEvent(event);
    if (m_pInversion)
        m_pInversion->move(pos());
}

void CFramelessWindow::resizeEvent(QResizeEvent *event)
{
    CQWidgetEx::resizeEvent(event);
    if (m_pInversion)
        m_pInversion->resize(size());
}

} // namespace ShareCode
