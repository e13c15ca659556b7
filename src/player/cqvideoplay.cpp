// SPDX-License-Identifier: GPL-3.0-or-later
// The player window: video surface, progress slider, times, play/pause button and the clock.
#include "cqvideoplay.h"

#include "cqslider.h"
#include "cqvideoshow.h"
#include "videoctl.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The clock's tick, in milliseconds.
constexpr int kClockIntervalMs = 30;

const char kSliderStyle[] =
    "QSlider::groove:horizontal{height:4px;border:0px;background:transparent;}\n"
    "QSlider::sub-page:horizontal{background:#5C46F4;margin-left:6px;margin-right:6px;"
    "border-radius:2px;}\n"
    "QSlider::add-page:horizontal{background:#E6E6E6;margin-left:6px;margin-right:6px;"
    "border-radius:2px;}\n"
    "QSlider::handle:horizontal{width:12px;height:12px;margin-top:-4px;margin-bottom:-4px;"
    "border-radius:6px;background:qradialgradient(spread:pad,cx:0.5,cy:0.5,radius:0.5,fx:0.5,"
    "fy:0.5,stop:0 #FFFFFF,stop:0.42 #FFFFFF,stop:0.58 #5C46F4,stop:1 #5C46F4);}\n"
    "QSlider::handle:horizontal:disabled{background:#E6E6E6;}\n";

QString buttonStyle(const char *szKind)
{
    const QString kind = QString::fromLatin1(szKind);
    return QStringLiteral(
               "#PlayOrPauseBtn{border:0px;border-image:url(':/theme_local/imgs/%1_normal.png');}"
               "#PlayOrPauseBtn:hover{border:0px; "
               "border-image:url(':/theme_local/imgs/%1_hover.png');}"
               "#PlayOrPauseBtn:pressed{border:0px;border-image:url(':/theme_local/imgs/"
               "%1_click.png');}"
               "#PlayOrPauseBtn:disabled{border:0px; "
               "border-image:url(':/theme_local/imgs/%1_disable.png');}")
        .arg(kind);
}

QTimeEdit *makeTimeEdit(QWidget *parent, const char *szName, const char *szStyle)
{
    auto *edit = new QTimeEdit(parent);
    edit->setObjectName(QString::fromUtf8(szName));
    edit->setStyleSheet(QString::fromUtf8(szStyle));
    edit->setFrame(false);
    edit->setReadOnly(true);
    edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setDisplayFormat(QString::fromUtf8("HH:mm:ss"));
    edit->setTime(QTime(0, 0));
    return edit;
}

} // namespace

void Ui::CQVideoPlayClass::setupUi(QWidget *CQVideoPlayClass)
{
    if (CQVideoPlayClass->objectName().isEmpty())
        CQVideoPlayClass->setObjectName(QString::fromUtf8("CQVideoPlayClass"));
    CQVideoPlayClass->resize(462, 300);
    CQVideoPlayClass->setMinimumSize(QSize(462, 300));
    gridLayout = new QGridLayout(CQVideoPlayClass);
    gridLayout->setSpacing(0);
    gridLayout->setObjectName(QString::fromUtf8("gridLayout"));
    gridLayout->setContentsMargins(0, 0, 0, 0);
    uiFrame = new QWidget(CQVideoPlayClass);
    uiFrame->setObjectName(QString::fromUtf8("uiFrame"));
    verticalLayout_2 = new QVBoxLayout(uiFrame);
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setObjectName(QString::fromUtf8("verticalLayout_2"));
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);

    titleUi = new QWidget(uiFrame);
    titleUi->setObjectName(QString::fromUtf8("titleUi"));
    titleUi->setAttribute(Qt::WA_StyledBackground);
    titleUi->setStyleSheet(QString::fromUtf8("#titleUi{\n"
                                             "background-color:white;\n"
                                             "border-top-left-radius: 6px;\n"
                                             "border-top-right-radius: 6px;\n"
                                             "border-bottom-right-radius: 0px;\n"
                                             "border-bottom-left-radius: 0px;\n"
                                             "}\n"));
    gridLayout_2 = new QGridLayout(titleUi);
    gridLayout_2->setSpacing(0);
    gridLayout_2->setObjectName(QString::fromUtf8("gridLayout_2"));
    gridLayout_2->setContentsMargins(0, 0, 0, 0);
    verticalSpacer = new QSpacerItem(100, 4, QSizePolicy::Minimum, QSizePolicy::Fixed);
    gridLayout_2->addItem(verticalSpacer, 0, 1, 1, 1);
    horizontalSpacer = new QSpacerItem(6, 100, QSizePolicy::Fixed, QSizePolicy::Minimum);
    gridLayout_2->addItem(horizontalSpacer, 1, 0, 1, 1);
    ShowWid = new CQVideoShow(titleUi);
    ShowWid->setObjectName(QString::fromUtf8("ShowWid"));
    ShowWid->setMinimumSize(QSize(0, 0));
    ShowWid->setMaximumSize(QSize(1677215, 1677215));
    ShowWid->setStyleSheet(QString::fromUtf8("background-color:#2f2f2f;\n\n\n\n"));
    gridLayout_2->addWidget(ShowWid, 1, 1, 1, 2);
    horizontalSpacer_2 = new QSpacerItem(6, 100, QSizePolicy::Fixed, QSizePolicy::Minimum);
    gridLayout_2->addItem(horizontalSpacer_2, 1, 3, 1, 1);
    verticalSpacer_2 = new QSpacerItem(50, 2, QSizePolicy::Minimum, QSizePolicy::Fixed);
    gridLayout_2->addItem(verticalSpacer_2, 2, 2, 1, 1);
    verticalLayout_2->addWidget(titleUi);

    CtrlBarWid = new QWidget(uiFrame);
    CtrlBarWid->setObjectName(QString::fromUtf8("CtrlBarWid"));
    CtrlBarWid->setAttribute(Qt::WA_StyledBackground);
    CtrlBarWid->setMinimumSize(QSize(0, 45));
    CtrlBarWid->setMaximumSize(QSize(16777215, 45));
    CtrlBarWid->setStyleSheet(QString::fromUtf8("background-color:white;\n"
                                                "border-top-left-radius: 0px;\n"
                                                "border-top-right-radius: 0px;\n"
                                                "border-bottom-right-radius: 6px;\n"
                                                "border-bottom-left-radius: 6px;"));
    verticalLayout = new QVBoxLayout(CtrlBarWid);
    verticalLayout->setSpacing(0);
    verticalLayout->setObjectName(QString::fromUtf8("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    PlaySlider = new CQSlider(CtrlBarWid);
    PlaySlider->setObjectName(QString::fromUtf8("PlaySlider"));
    PlaySlider->setMaximumSize(QSize(16777215, 12));
    PlaySlider->setCursor(QCursor(Qt::PointingHandCursor));
    PlaySlider->setStyleSheet(QString::fromUtf8(kSliderStyle));
    PlaySlider->setMaximum(1000);
    PlaySlider->setOrientation(Qt::Horizontal);
    verticalLayout->addWidget(PlaySlider);

    ctrlbarWdiget = new QWidget(CtrlBarWid);
    ctrlbarWdiget->setObjectName(QString::fromUtf8("ctrlbarWdiget"));
    horizontalLayout = new QHBoxLayout(ctrlbarWdiget);
    horizontalLayout->setSpacing(0);
    horizontalLayout->setObjectName(QString::fromUtf8("horizontalLayout"));
    horizontalLayout->setContentsMargins(10, 0, 9, 0);
    VideoPlayTimeEdit =
        makeTimeEdit(ctrlbarWdiget, "VideoPlayTimeEdit", "font-size:14px;\ncolor:#999999");
    horizontalLayout->addWidget(VideoPlayTimeEdit);
    horizontalSpacer_3 = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(horizontalSpacer_3);
    PlayOrPauseBtn = new QPushButton(ctrlbarWdiget);
    PlayOrPauseBtn->setObjectName(QString::fromUtf8("PlayOrPauseBtn"));
    PlayOrPauseBtn->setMinimumSize(QSize(24, 24));
    PlayOrPauseBtn->setMaximumSize(QSize(24, 24));
    PlayOrPauseBtn->setCursor(QCursor(Qt::PointingHandCursor));
    PlayOrPauseBtn->setFocusPolicy(Qt::NoFocus);
    horizontalLayout->addWidget(PlayOrPauseBtn);
    horizontalSpacer_4 = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(horizontalSpacer_4);
    VideoTotalTimeEdit =
        makeTimeEdit(ctrlbarWdiget, "VideoTotalTimeEdit", "font-size:14px;\ncolor:#999999\n");
    VideoTotalTimeEdit->setAlignment(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
    horizontalLayout->addWidget(VideoTotalTimeEdit);
    verticalLayout->addWidget(ctrlbarWdiget);
    verticalLayout_2->addWidget(CtrlBarWid);

    gridLayout->addWidget(uiFrame, 0, 0, 1, 1);

    retranslateUi(CQVideoPlayClass);
    QMetaObject::connectSlotsByName(CQVideoPlayClass);
}

void Ui::CQVideoPlayClass::retranslateUi(QWidget *CQVideoPlayClass)
{
    CQVideoPlayClass->setWindowTitle(
        QCoreApplication::translate("CQVideoPlayClass", "CQVideoPlay"));
    PlayOrPauseBtn->setText(QString());
    // The button shows pictures only: screen readers and tests need its name.
    PlayOrPauseBtn->setAccessibleName(
        QCoreApplication::translate("CQVideoPlayClass", "Play or pause"));
    PlaySlider->setAccessibleName(
        QCoreApplication::translate("CQVideoPlayClass", "Playback position"));
}

CQVideoPlay::CQVideoPlay(QWidget *parent)
    : QWidget(parent), ui(new Ui::CQVideoPlayClass), m_pauseStyle(buttonStyle("pause")),
      m_playStyle(buttonStyle("play"))
{
    ui->setupUi(this);
    ui->PlayOrPauseBtn->setStyleSheet(m_playStyle);
    // Producers read the slider from their own threads: keep a copy they can read under the lock.
    connect(ui->PlaySlider, &QSlider::valueChanged, this, &CQVideoPlay::onSliderValueChanged);
}

CQVideoPlay::~CQVideoPlay()
{
    {
        std::lock_guard<std::mutex> lock(m_pushMutex);
        m_closing = true;
    }
    VideoCtl *engine = VideoCtl::instance();
    // The display loop draws into the surface's X window: it must end before that window goes.
    if (engine)
        engine->releaseWindow(ui->ShowWid->internalWinId());
    std::unique_lock<std::mutex> lock(m_pushMutex);
    if (m_pushesInFlight > 0 && engine) {
        // A producer blocked in a playback shown elsewhere would hold this window forever.
        engine->stopPlay();
    }
    m_pushesDone.wait(lock, [this] { return m_pushesInFlight == 0; });
    lock.unlock();
    delete ui;
    ui = nullptr;
}

CQVideoShow *CQVideoPlay::videoShow() const
{
    return ui ? ui->ShowWid : nullptr;
}

QTime CQVideoPlay::msToDisplayTime(int iMs)
{
    const int seconds = int(float(iMs / 1000.0));
    return QTime(seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}

bool CQVideoPlay::connectControls()
{
    bool ok = true;
    ok &= bool(connect(ui->PlaySlider, &CQSlider::cSliderPressSignal, this,
                       &CQVideoPlay::vp_cSliderPressSlots));
    ok &= bool(connect(ui->PlaySlider, &CQSlider::cSliderMoveSignal, this,
                       &CQVideoPlay::vp_cSliderMoveSlots));
    ok &= bool(connect(ui->PlaySlider, &CQSlider::cSliderReleaseSignal, this,
                       &CQVideoPlay::vp_cSliderReleaseSlots));
    ok &= bool(connect(ui->PlayOrPauseBtn, &QPushButton::clicked, this,
                       &CQVideoPlay::vp_VideoPlayOrPauseSlots));
    ok &= bool(connect(ui->ShowWid, &CQVideoShow::deviceSizeChanged, this,
                       &CQVideoPlay::vp_surfaceResizedSignal));
    VideoCtl *engine = VideoCtl::instance();
    ok &= engine &&
          bool(connect(engine, &VideoCtl::StopPlaySingle, this, &CQVideoPlay::onEngineStopped));
    return ok;
}

void CQVideoPlay::onEngineStopped(quint64 iGeneration)
{
    // Queued from the display thread: it may describe a playback that was detached and
    // replaced since; only the one this window shows now may reset it.
    if (!m_engineAttached || iGeneration != m_playbackGeneration)
        return;
    vp_videoStopPlaySlots();
}

void CQVideoPlay::setElapsedDisplay(int iMs)
{
    ui->VideoPlayTimeEdit->setTime(msToDisplayTime(iMs));
}

void CQVideoPlay::setSliderRatio(double lfPerc)
{
    // The copy that producers read follows through onSliderValueChanged, under the lock.
    ui->PlaySlider->setRatio(lfPerc);
}

void CQVideoPlay::onSliderValueChanged(int iValue)
{
    std::lock_guard<std::mutex> locker(m_positionMutex);
    m_sliderValue = iValue;
}

void CQVideoPlay::setTotalDurationMs(int iMs)
{
    {
        std::lock_guard<std::mutex> locker(m_positionMutex);
        m_totalMs = iMs;
    }
    ui->VideoTotalTimeEdit->setTime(msToDisplayTime(iMs));
}

void CQVideoPlay::showPosition(int iMs)
{
    if (m_totalMs == 0 || m_sliderPressed)
        return;
    setElapsedDisplay(std::min(iMs, m_totalMs));
    setSliderRatio(double(iMs) / double(m_totalMs));
}

void CQVideoPlay::resetPosition()
{
    m_baseMs = 0;
    if (m_totalMs == 0 || m_sliderPressed)
        return;
    setElapsedDisplay(0);
    setSliderRatio(0.0);
}

double CQVideoPlay::sliderPositionMs()
{
    std::lock_guard<std::mutex> locker(m_positionMutex);
    return m_sliderValue / 1000.0 * m_totalMs;
}

void CQVideoPlay::startClock()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kClockIntervalMs);
        connect(m_timer, &QTimer::timeout, this, &CQVideoPlay::on_timeout);
    }
    m_clockPaused = false;
    m_timer->start();
    m_elapsed.restart();
}

void CQVideoPlay::pauseClock()
{
    m_clockPaused = true;
}

void CQVideoPlay::resumeClockFromSlider()
{
    m_elapsed.restart();
    m_baseMs = int(sliderPositionMs());
    m_clockPaused = false;
}

void CQVideoPlay::syncClockToSlider()
{
    m_elapsed.restart();
    m_baseMs = int(sliderPositionMs());
}

void CQVideoPlay::stopClock()
{
    m_baseMs = 0;
    delete m_timer;
    m_timer = nullptr;
}

void CQVideoPlay::on_timeout()
{
    if (m_clockPaused || m_sliderPressed)
        return;
    const qint64 position = m_elapsed.elapsed() + m_baseMs;
    showPosition(int(std::min<qint64>(position, INT_MAX)));
    if (position >= m_totalMs) {
        m_baseMs = 0;
        // Deleted later: this slot runs inside the timer's own signal.
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
        emit vp_timeLoopEndSignal();
    }
}

void CQVideoPlay::vp_cSliderPressSlots(double perc)
{
    m_sliderPressed = true;
    emit vp_cSliderPressSignal(perc);
}

void CQVideoPlay::vp_cSliderMoveSlots(double perc)
{
    setElapsedDisplay(int(m_totalMs * perc));
    emit vp_cSliderMoveSignal(perc);
}

void CQVideoPlay::vp_cSliderReleaseSlots(double perc)
{
    m_sliderPressed = false;
    setElapsedDisplay(int(m_totalMs * perc));
    emit vp_cSliderReleaseSignal(perc);
}

void CQVideoPlay::vp_VideoPlayOrPauseSlots()
{
    m_playing = !m_playing;
    ui->PlayOrPauseBtn->setStyleSheet(m_playing ? m_pauseStyle : m_playStyle);
    emit vp_PlayOrPauseVideoSignal(m_playing);
}

void CQVideoPlay::vp_videoStopPlaySlots()
{
    m_engineAttached = false;
    ui->ShowWid->setEngineOwned(false);
    if (!m_sliderPressed) {
        setElapsedDisplay(0);
        setSliderRatio(0.0);
    }
    showPlayIcon();
    emit vp_videoStopPlaySignal();
}

QSize CQVideoPlay::surfaceSize() const
{
    return ui->ShowWid->deviceSize();
}

void CQVideoPlay::attachEngine()
{
    if (m_engineAttached)
        return;
    VideoCtl *engine = VideoCtl::instance();
    // SDL on X11 draws into the surface's X11 window: on any other Qt platform (offscreen in
    // tests, even with DISPLAY naming a real server) the id is Qt's own and means nothing to the
    // X server, which would end the program with BadWindow.
    if (!engine || !engine->showsInWindowsOf(QGuiApplication::platformName()))
        return;
    // Qt stops painting first, so nothing it draws lands over the engine's pictures.
    const WId window = ui->ShowWid->winId();
    ui->ShowWid->setEngineOwned(true);
    m_playbackGeneration = engine->startPlay(window);
    m_engineAttached = m_playbackGeneration != 0;
    if (!m_engineAttached)
        ui->ShowWid->setEngineOwned(false);
}

void CQVideoPlay::detachEngine()
{
    if (VideoCtl *engine = VideoCtl::instance())
        engine->stopPlay();
    m_engineAttached = false;
    showPlayIcon();
    ui->ShowWid->setEngineOwned(false);
}

void CQVideoPlay::releaseProducers()
{
    if (VideoCtl *engine = VideoCtl::instance())
        engine->releaseProducers();
}

void CQVideoPlay::startAudio()
{
    if (VideoCtl *engine = VideoCtl::instance())
        engine->startAudio();
}

void CQVideoPlay::stopAudio()
{
    if (VideoCtl *engine = VideoCtl::instance())
        engine->stopAudio();
}

void CQVideoPlay::showPlayIcon()
{
    m_playing = false;
    ui->PlayOrPauseBtn->setStyleSheet(m_playStyle);
}

void CQVideoPlay::showPauseIcon()
{
    m_playing = true;
    ui->PlayOrPauseBtn->setStyleSheet(m_pauseStyle);
}

int CQVideoPlay::forwardFrame(AVFrame *frame, bool bVideo)
{
    if (!frame)
        return -1;
    int ret = -1;
    bool entered = false;
    {
        std::lock_guard<std::mutex> lock(m_pushMutex);
        if (!m_closing) {
            m_pushesInFlight++;
            entered = true;
        }
    }
    // A window being destroyed takes no more frames, and says so.
    if (entered) {
        if (VideoCtl *engine = VideoCtl::instance())
            ret = bVideo ? engine->pushVideoFrame(frame) : engine->pushAudioFrame(frame);
        std::lock_guard<std::mutex> lock(m_pushMutex);
        if (--m_pushesInFlight == 0)
            m_pushesDone.notify_all();
    }
    av_frame_unref(frame); // already empty after a successful push
    return ret;
}

int CQVideoPlay::pushVideoFrame(AVFrame *frame)
{
    const int64_t pts = frame ? frame->pts : -1;
    const int ret = forwardFrame(frame, true);
    if (ret >= 0) {
        m_lastPictureAtMs = QDateTime::currentMSecsSinceEpoch();
        m_lastPicturePts = pts;
    }
    return ret;
}

int CQVideoPlay::audioLatencyMs()
{
    VideoCtl *engine = VideoCtl::instance();
    return engine ? engine->audioLatencyMs() : 0;
}

void CQVideoPlay::lastPicture(int64_t &iPts, qint64 &iAtMs) const
{
    iPts = m_lastPicturePts;
    iAtMs = m_lastPictureAtMs;
}

qint64 CQVideoPlay::clockMs()
{
    if (!m_timer || m_clockPaused || !m_elapsed.isValid())
        return qint64(sliderPositionMs());
    return m_elapsed.elapsed() + m_baseMs;
}

int CQVideoPlay::pushAudioFrame(AVFrame *frame)
{
    return forwardFrame(frame, false);
}
