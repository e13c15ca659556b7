// SPDX-License-Identifier: GPL-3.0-or-later
// The video surface: a native window that the playback engine draws into with SDL.
#include "cqvideoshow.h"

#include "cqwidgetshadow.h"
#include "videoctl.h"

#include <QCoreApplication>
#include <QDynamicPropertyChangeEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSpacerItem>
#include <QStyleOption>
#include <QWindow>

void Ui::CQVideoShowClass::setupUi(QWidget *CQVideoShowClass)
{
    if (CQVideoShowClass->objectName().isEmpty())
        CQVideoShowClass->setObjectName(QString::fromUtf8("CQVideoShowClass"));
    CQVideoShowClass->resize(462, 262);
    CQVideoShowClass->setMinimumSize(QSize(462, 262));
    gridLayout_2 = new QGridLayout(CQVideoShowClass);
    gridLayout_2->setObjectName(QString::fromUtf8("gridLayout_2"));
    gridLayout_2->setContentsMargins(0, 0, 0, 0);
    widget = new QWidget(CQVideoShowClass);
    widget->setObjectName(QString::fromUtf8("widget"));
    gridLayout = new QGridLayout(widget);
    gridLayout->setObjectName(QString::fromUtf8("gridLayout"));
    gridLayout->setContentsMargins(0, 0, 0, 0);
    verticalSpacer = new QSpacerItem(50, 197, QSizePolicy::Minimum, QSizePolicy::Expanding);
    gridLayout->addItem(verticalSpacer, 0, 1, 1, 1);
    horizontalSpacer = new QSpacerItem(228, 18, QSizePolicy::Expanding, QSizePolicy::Minimum);
    gridLayout->addItem(horizontalSpacer, 1, 0, 1, 1);
    videoDisplayLabel = new QLabel(widget);
    videoDisplayLabel->setObjectName(QString::fromUtf8("videoDisplayLabel"));
    videoDisplayLabel->setMinimumSize(QSize(108, 20));
    videoDisplayLabel->setMaximumSize(QSize(108, 20));
    QFont font;
    font.setFamily(QString::fromUtf8("Felix Titling"));
    font.setPointSize(14);
    videoDisplayLabel->setFont(font);
    videoDisplayLabel->setStyleSheet(
        QString::fromUtf8("border-image:url(:/theme_local/imgs/video_text.png);"));
    videoDisplayLabel->setAlignment(Qt::AlignCenter);
    gridLayout->addWidget(videoDisplayLabel, 1, 1, 1, 1);
    horizontalSpacer_2 = new QSpacerItem(228, 18, QSizePolicy::Expanding, QSizePolicy::Minimum);
    gridLayout->addItem(horizontalSpacer_2, 1, 2, 1, 1);
    verticalSpacer_2 = new QSpacerItem(50, 198, QSizePolicy::Minimum, QSizePolicy::Expanding);
    gridLayout->addItem(verticalSpacer_2, 2, 1, 1, 1);
    gridLayout_2->addWidget(widget, 0, 0, 1, 1);

    retranslateUi(CQVideoShowClass);
    QMetaObject::connectSlotsByName(CQVideoShowClass);
}

void Ui::CQVideoShowClass::retranslateUi(QWidget *CQVideoShowClass)
{
    CQVideoShowClass->setWindowTitle(
        QCoreApplication::translate("CQVideoShowClass", "CQVideoShow"));
    videoDisplayLabel->setText(QString());
}

CQVideoShow::CQVideoShow(QWidget *parent) : QWidget(parent), ui(new Ui::CQVideoShowClass)
{
    ui->setupUi(this);
    // SDL draws into this widget's own X11 window, sized in device pixels.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_StyledBackground);
}

CQVideoShow::~CQVideoShow()
{
    delete ui;
}

QPaintEngine *CQVideoShow::paintEngine() const
{
    return m_engineOwned ? nullptr : QWidget::paintEngine();
}

void CQVideoShow::setEngineOwned(bool bOwned)
{
    m_engineOwned = bOwned;
    setAttribute(Qt::WA_PaintOnScreen, bOwned);
    setAttribute(Qt::WA_NoSystemBackground, bOwned);
    setUpdatesEnabled(!bOwned);
    m_reportedSize = QSize();
    if (bOwned)
        watchScreen(); // and reports the size
}

QSize CQVideoShow::deviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

void CQVideoShow::reportSize()
{
    const WId window = internalWinId();
    const QSize size = deviceSize();
    if (size != m_announcedSize) {
        m_announcedSize = size;
        emit deviceSizeChanged(size);
    }
    if (!m_engineOwned || !window || size == m_reportedSize)
        return;
    if (VideoCtl *engine = VideoCtl::instance()) {
        engine->notifyWindowResized(window, size.width(), size.height());
        m_reportedSize = size;
    }
}

void CQVideoShow::watchScreen()
{
    QWindow *handle = windowHandle();
    if (handle != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = handle;
        if (handle) {
            // Exposes reach the native window, not this widget, and updates are off anyway.
            handle->installEventFilter(this);
            // Queued: Qt settles the geometry for the new screen after announcing it.
            connect(handle, &QWindow::screenChanged, this, &CQVideoShow::watchScreen,
                    Qt::QueuedConnection);
        }
    }
    for (QMetaObject::Connection &connection : m_screenConnections)
        disconnect(connection);
    // A scale change on the same screen changes the device size without a resize event.
    if (QScreen *screen = handle ? handle->screen() : nullptr) {
        m_screenConnections[0] = connect(screen, &QScreen::logicalDotsPerInchChanged, this,
                                         &CQVideoShow::reportSize, Qt::QueuedConnection);
        m_screenConnections[1] = connect(screen, &QScreen::physicalDotsPerInchChanged, this,
                                         &CQVideoShow::reportSize, Qt::QueuedConnection);
        m_screenConnections[2] = connect(screen, &QScreen::geometryChanged, this,
                                         &CQVideoShow::reportSize, Qt::QueuedConnection);
    }
    reportSize();
}

bool CQVideoShow::event(QEvent *event)
{
    // A dialog's shadow leaves this window uncovered and asks it to dim its pictures itself.
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() ==
            ShareCode::CQWidgetShadow::kDimmedProperty) {
        if (VideoCtl *engine = VideoCtl::instance())
            engine->setDimColour(property(ShareCode::CQWidgetShadow::kDimmedProperty).toBool()
                                     ? ShareCode::CQWidgetShadow::dimColour()
                                     : QColor());
    }
    const bool handled = QWidget::event(event);
    // A native child learns of its top level's new screen here, not through its own window.
    if (event->type() == QEvent::ScreenChangeInternal && m_engineOwned)
        QMetaObject::invokeMethod(this, &CQVideoShow::watchScreen, Qt::QueuedConnection);
    return handled;
}

bool CQVideoShow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::Expose && m_engineOwned) {
        reportSize();
        if (VideoCtl *engine = VideoCtl::instance())
            engine->requestRefresh();
    }
    return QWidget::eventFilter(watched, event);
}

void CQVideoShow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    reportSize();
}

void CQVideoShow::paintEvent(QPaintEvent *)
{
    if (m_engineOwned)
        return;
    // The style sheet's dark background.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
