// Album editor: the live preview's player state, its clock and its music.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "audiodecoder.h"
#include "cqvideoplay.h"
#include "imageviewer.h"
#include "renderjob.h"

extern "C" {
#include <libavutil/mathematics.h>
}

bool ZodoZadar::customMusicWithPath() const
{
    const RenderJob &job = RenderJob::instance();
    return job.musicType != MusicNone && !job.musicPath.isEmpty();
}

void ZodoZadar::playOrPause(bool bPlay)
{
    enablePlayer(bPlay);
    playerState = bPlay ? PlayerPlaying : PlayerPaused;
}

void ZodoZadar::enablePlayer(bool bPlay)
{
    if (!bPlay) {
        pausePreview();
        return;
    }
    if (playerState == PlayerPlaying)
        return;
    CQVideoPlay *pPlayer = ui->divPlayer;
    if (playerState == PlayerStopped) {
        RenderJob &job = RenderJob::instance();
        // Waits for a run that is still ending; the new run starts once this lock is released.
        QMutexLocker render(&job.renderMutex);
        job.materialOrder = rowPaths();
        if (selfAdaptingRatio())
            applySelfAdaptingRatio(job);
        job.updateWidth();
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
    if (m_pViewer->previewing)
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
    if (m_pViewer->previewing)
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
    RenderJob &job = RenderJob::instance();
    CQVideoPlay *pPlayer = ui->divPlayer;
    pPlayer->syncClockToSlider();
    const int iMs = static_cast<int>(pPlayer->totalDurationMs() * lfDurationRatio);
    job.playPosition = av_rescale_q(iMs, job.msTimeBase, job.totalTimeBase);
    if (customMusicWithPath())
        followClockWithMusic(iMs);
    if (m_pViewer->previewing)
        m_pViewer->requestSeek();
    if (playerState == PlayerSeeking)
        playOrPause(true);
}

void ZodoZadar::previewFinished()
{
    RenderJob &job = RenderJob::instance();
    CQVideoPlay *pPlayer = ui->divPlayer;
    QMutexLocker render(&job.renderMutex);
    emitCoverRefresh();
    pPlayer->stopClock();
    pPlayer->showPosition(0);
    if (customMusicWithPath())
        m_pAudioDecoder->stop();
    pPlayer->showPlayIcon();
    // Stopping the audio first releases a music decoder blocked on the full audio queue.
    pPlayer->stopAudio();
    QMutexLocker music(&job.musicMutex);
    playerState = PlayerStopped;
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
