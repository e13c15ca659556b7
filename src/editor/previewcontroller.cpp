// SPDX-License-Identifier: GPL-3.0-or-later
// The live preview: the player's state, its clock and its music, and the album's snapshot.
#include "previewcontroller.h"

#include "albumdocument.h"
#include "audiodecoder.h"
#include "cqvideoplay.h"
#include "imageviewer.h"
#include "zodozadar.h"

#include <QTimer>

extern "C" {
#include <libavutil/mathematics.h>
}

PreviewController::PreviewController(ZodoZadar &editor, AlbumDocument *pDocument,
                                     CQVideoPlay *pPlayer, ImageViewer *pViewer,
                                     AudioDecoder *pMusic)
    : m_editor(editor), m_pDocument(pDocument), m_pPlayer(pPlayer), m_pViewer(pViewer),
      m_pMusic(pMusic)
{
    m_pResizeTimer = new QTimer(&editor);
    m_pResizeTimer->setSingleShot(true);
    m_pResizeTimer->setInterval(kResizeSettleMs);
    QObject::connect(m_pResizeTimer, &QTimer::timeout, &editor, [this] { applyShownSize(); });
}

PreviewController::~PreviewController() = default;

void PreviewController::halt()
{
    // Runs and music decodes still waiting in their queues are cancelled too.
    m_pViewer->stopAll();
    m_pMusic->stop();
    // A seek asked for the stopped run is void.
    m_pMusic->setSeekRequest(-1);
    // Producers blocked on the player's full queues (the feeder, the music decoder) are
    // released; the flags above make them stop rather than push again.
    m_pPlayer->stopAudio();
    m_pPlayer->releaseProducers();
    m_pViewer->playPosition = 0;
    m_pPlayer->resetPosition();
}

void PreviewController::publishAlbum()
{
    const AlbumSnapshotPtr album = m_pDocument->snapshot();
    m_pViewer->setAlbum(album);
    m_pMusic->setAlbum(album);
}

void PreviewController::refreshCover()
{
    publishAlbum();
    m_pViewer->requestCover();
}

bool PreviewController::albumHasSound() const
{
    // Clips with sound play through the music's decoder too, music or not.
    const Album &job = m_pDocument->album();
    return (job.musicType != MusicNone && !job.musicPath.isEmpty()) || job.clipsHaveSound();
}

void PreviewController::playOrPause(bool bPlay)
{
    // No preview plays while another workflow runs (an export reads the album without locks)
    // or without pictures; the button goes back to offering play.
    if (bPlay && (!m_editor.workflow().idle() || !m_editor.hasRenderedPictures())) {
        m_pPlayer->showPlayIcon();
        return;
    }
    if (bPlay)
        play();
    else
        pause();
    m_iState = bPlay ? Playing : Paused;
}

void PreviewController::play()
{
    if (m_iState == Playing || !m_editor.workflow().idle() || !m_editor.hasRenderedPictures())
        return;
    CQVideoPlay *pPlayer = m_pPlayer;
    if (m_iState == Stopped) {
        // A run that is still ending renders its own snapshot; the new one renders this.
        Album &job = m_pDocument->edit();
        job.materialOrder = m_editor.rowPaths();
        if (m_editor.selfAdaptingRatio())
            applySelfAdaptingRatio(job);
        job.updateWidth();
        // The run counts as asked for from here on, so that a halt or a pause made before it
        // starts reaches it; a pause left over from the last run's end does not.
        m_pViewer->paused = false;
        publishAlbum();
        emit m_pViewer->sig_previewVideo();
        pPlayer->startClock();
        if (albumHasSound()) {
            pPlayer->startAudio();
            emit m_pMusic->sig_decode(job.musicPath);
        }
        pPlayer->showPauseIcon();
        return;
    }
    pPlayer->resumeClockFromSlider();
    if (m_pViewer->runAskedOrActive())
        m_pViewer->resume();
    if (albumHasSound()) {
        // The sound queued before the pause played on meanwhile: start again where the clock is.
        followClockWithMusic(int(pPlayer->sliderPositionMs()));
        m_pMusic->resume();
    }
    pPlayer->showPauseIcon();
}

void PreviewController::followClockWithMusic(int iMs)
{
    // The request comes first, so that a frame the decoder holds for the player is dropped as
    // stale; then the sound already queued for the old position goes.
    m_pMusic->setSeekRequest(iMs, true);
    CQVideoPlay *pPlayer = m_pPlayer;
    pPlayer->stopAudio();
    pPlayer->startAudio();
}

void PreviewController::pause()
{
    m_pPlayer->pauseClock();
    if (m_pViewer->runAskedOrActive())
        m_pViewer->pause();
    if (albumHasSound())
        m_pMusic->pause();
    m_pPlayer->showPlayIcon();
    m_iState = Paused;
}

void PreviewController::sliderPressed()
{
    if (m_iState != Playing)
        return;
    pause();
    m_iState = Seeking;
}

void PreviewController::sliderReleased(double lfDurationRatio)
{
    const Album &job = m_pDocument->album();
    CQVideoPlay *pPlayer = m_pPlayer;
    pPlayer->syncClockToSlider();
    const int iMs = static_cast<int>(pPlayer->totalDurationMs() * lfDurationRatio);
    m_pViewer->playPosition = av_rescale_q(iMs, job.msTimeBase, job.totalTimeBase);
    if (albumHasSound()) {
        // Only a running clock moves on while the seek is served; a seek made while stopped or
        // paused lands exactly (play and resume start the music where the clock is then).
        if (pPlayer->clockRunning() && !pPlayer->clockPaused())
            followClockWithMusic(iMs);
        else
            m_pMusic->setSeekRequest(iMs);
    }
    if (m_pViewer->runAskedOrActive())
        m_pViewer->requestSeek();
    if (m_iState == Seeking)
        playOrPause(true);
}

void PreviewController::runFinished()
{
    CQVideoPlay *pPlayer = m_pPlayer;
    refreshCover();
    pPlayer->stopClock();
    pPlayer->showPosition(0);
    // Whatever the music settings are now: a decode asked for by this run ends with it.
    m_pMusic->stop();
    pPlayer->showPlayIcon();
    // Stopping the audio first releases a music decoder blocked on the full audio queue.
    pPlayer->stopAudio();
    pPlayer->releaseProducers();
    m_iState = Stopped;
}

void PreviewController::playerGaveUp()
{
    // The playback engine could not show the pictures (its window was refused) and the player
    // went back to the start offering play: the preview stops too rather than run on unseen,
    // with its music, behind a button that says it is stopped.
    if (m_iState == Stopped)
        return;
    halt();
    runFinished();
}

void PreviewController::surfaceResized(QSize size)
{
    m_pViewer->setShownSize(size);
    m_pResizeTimer->start();
}

void PreviewController::applyShownSize()
{
    if (!m_editor.hasRenderedPictures())
        return;
    if (m_iState == Stopped) {
        if (m_editor.workflow().idle())
            refreshCover();
        return;
    }
    // A run takes it where the player's clock is, paused or not.
    if (m_pViewer->runAskedOrActive())
        m_pViewer->requestResize();
}

void PreviewController::holdRequested()
{
    if (m_iState != Stopped)
        pause();
}
