// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the live preview's player state, its clock and its music.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "album.h"
#include "audiodecoder.h"
#include "cqvideoplay.h"
#include "imageviewer.h"

#include <QTimer>

extern "C" {
#include <libavutil/mathematics.h>
}

bool ZodoZadar::customMusicWithPath() const
{
    const Album &job = m_pDocument->album();
    return job.musicType != MusicNone && !job.musicPath.isEmpty();
}

void ZodoZadar::playOrPause(bool bPlay)
{
    // No preview plays while another workflow runs (an export reads the album without locks)
    // or without pictures; the button goes back to offering play.
    if (bPlay && (!m_workflow.idle() || !hasRenderedPictures())) {
        ui->divPlayer->showPlayIcon();
        return;
    }
    enablePlayer(bPlay);
    playerState = bPlay ? PlayerPlaying : PlayerPaused;
}

void ZodoZadar::enablePlayer(bool bPlay)
{
    if (!bPlay) {
        pausePreview();
        return;
    }
    if (playerState == PlayerPlaying || !m_workflow.idle() || !hasRenderedPictures())
        return;
    CQVideoPlay *pPlayer = ui->divPlayer;
    if (playerState == PlayerStopped) {
        // A run that is still ending renders its own snapshot; the new one renders this.
        Album &job = m_pDocument->edit();
        job.materialOrder = rowPaths();
        if (selfAdaptingRatio())
            applySelfAdaptingRatio(job);
        job.updateWidth();
        // The run counts as asked for from here on, so that a halt or a pause made before it
        // starts reaches it; a pause left over from the last run's end does not.
        m_pViewer->paused = false;
        publishAlbum();
        emit m_pViewer->sig_previewVideo();
        pPlayer->startClock();
        if (customMusicWithPath()) {
            pPlayer->startAudio();
            emit m_pAudioDecoder->sig_decode(job.musicPath);
        }
        pPlayer->showPauseIcon();
        return;
    }
    pPlayer->resumeClockFromSlider();
    if (m_pViewer->runAskedOrActive())
        m_pViewer->resume();
    if (customMusicWithPath()) {
        // The sound queued before the pause played on meanwhile: start again where the clock is.
        followClockWithMusic(int(pPlayer->sliderPositionMs()));
        m_pAudioDecoder->resume();
    }
    pPlayer->showPauseIcon();
}

void ZodoZadar::followClockWithMusic(int iMs)
{
    // The request comes first, so that a frame the decoder holds for the player is dropped as
    // stale; then the sound already queued for the old position goes.
    m_pAudioDecoder->setSeekRequest(iMs, true);
    CQVideoPlay *pPlayer = ui->divPlayer;
    pPlayer->stopAudio();
    pPlayer->startAudio();
}

void ZodoZadar::pausePreview()
{
    ui->divPlayer->pauseClock();
    if (m_pViewer->runAskedOrActive())
        m_pViewer->pause();
    if (customMusicWithPath())
        m_pAudioDecoder->pause();
    ui->divPlayer->showPlayIcon();
    playerState = PlayerPaused;
}

void ZodoZadar::playerSliderPressed(double lfDurationRatio)
{
    Q_UNUSED(lfDurationRatio);
    if (playerState != PlayerPlaying)
        return;
    pausePreview();
    playerState = PlayerSeeking;
}

void ZodoZadar::playerSliderReleased(double lfDurationRatio)
{
    const Album &job = m_pDocument->album();
    CQVideoPlay *pPlayer = ui->divPlayer;
    pPlayer->syncClockToSlider();
    const int iMs = static_cast<int>(pPlayer->totalDurationMs() * lfDurationRatio);
    m_pViewer->playPosition = av_rescale_q(iMs, job.msTimeBase, job.totalTimeBase);
    if (customMusicWithPath()) {
        // Only a running clock moves on while the seek is served; a seek made while stopped or
        // paused lands exactly (play and resume start the music where the clock is then).
        if (pPlayer->clockRunning() && !pPlayer->clockPaused())
            followClockWithMusic(iMs);
        else
            m_pAudioDecoder->setSeekRequest(iMs);
    }
    if (m_pViewer->runAskedOrActive())
        m_pViewer->requestSeek();
    if (playerState == PlayerSeeking)
        playOrPause(true);
}

void ZodoZadar::previewFinished()
{
    CQVideoPlay *pPlayer = ui->divPlayer;
    emitCoverRefresh();
    pPlayer->stopClock();
    pPlayer->showPosition(0);
    // Whatever the music settings are now: a decode asked for by this run ends with it.
    m_pAudioDecoder->stop();
    pPlayer->showPlayIcon();
    // Stopping the audio first releases a music decoder blocked on the full audio queue.
    pPlayer->stopAudio();
    pPlayer->releaseProducers();
    playerState = PlayerStopped;
}

void ZodoZadar::playerGaveUp()
{
    // The playback engine could not show the pictures (its window was refused) and the player
    // went back to the start offering play: the preview stops too rather than run on unseen,
    // with its music, behind a button that says it is stopped.
    if (playerState == PlayerStopped)
        return;
    halt();
    previewFinished();
}

void ZodoZadar::surfaceResized(QSize size)
{
    m_pViewer->setShownSize(size);
    m_pResizeTimer->start();
}

void ZodoZadar::applyShownSize()
{
    if (!hasRenderedPictures())
        return;
    if (playerState == PlayerStopped) {
        if (m_workflow.idle())
            emitCoverRefresh();
        return;
    }
    // A run takes it where the player's clock is, paused or not.
    if (m_pViewer->runAskedOrActive())
        m_pViewer->requestResize();
}

void ZodoZadar::suspendRequested()
{
    if (playerState != PlayerStopped)
        pausePreview();
}

void ZodoZadar::updateRequest()
{
    if (playerState != PlayerStopped)
        pausePreview();
}
