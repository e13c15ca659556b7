// SPDX-License-Identifier: GPL-3.0-or-later
// Album editor: the music settings (tracks, crossfade, start, fades, volume) and fitting the
// pictures to the music.
#include "zodozadar.h"

#include "zodozadar_form.h"

#include "previewcontroller.h"

#include "albumdocument.h"
#include "beatkeeper.h"

#include "album.h"
#include "albumops.h"
#include "musiclist.h"
#include "musicpanel.h"
#include "qtinversionwidget.h"
#include "settingspanel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {
// Steps of one spin box of the panel in a row merge into one undo step, as the duration's do
// (ids apart from the other merging edits').
constexpr int kMergeMusicStart = 10;
constexpr int kMergeMusicFadeIn = 11;
constexpr int kMergeMusicFadeOut = 12;
constexpr int kMergeMusicVolume = 13;
constexpr int kMergeMusicCrossfade = 14;
constexpr int kMergeMusicDuck = 15;

int musicMergeId(const MusicShape &before, const MusicShape &after)
{
    const bool start = before.start != after.start;
    const bool fadeIn = before.fadeIn != after.fadeIn;
    const bool fadeOut = before.fadeOut != after.fadeOut;
    const bool volume = before.volume != after.volume;
    if (int(start) + int(fadeIn) + int(fadeOut) + int(volume) != 1)
        return -1;
    return start     ? kMergeMusicStart
           : fadeIn  ? kMergeMusicFadeIn
           : fadeOut ? kMergeMusicFadeOut
                     : kMergeMusicVolume;
}
} // namespace

void ZodoZadar::showMusicPanel()
{
    if (refuseEdit() || !m_pDocument->album().hasMusic())
        return;
    const Album &job = m_pDocument->album();
    MusicPanel panel(QFileInfo(job.musicPath).fileName(), job.musicShape,
                     ShareCode::QtInversionWidget::instance());
    connect(&panel, &MusicPanel::sig_changed, this, &ZodoZadar::changeMusicShape);
    const auto showTracks = [this, &panel] {
        const Album &album = m_pDocument->album();
        QStringList names;
        for (const QString &track : album.musicTracks())
            names.append(QFileInfo(track).fileName());
        panel.showTracks(names, album.musicCrossfade);
    };
    showTracks();
    const auto tracks = [this] { return m_pDocument->album().musicTracks(); };
    const auto crossfade = [this] { return m_pDocument->album().musicCrossfade; };
    connect(&panel, &MusicPanel::sig_addTrack, this, [=] {
        const QString szFile = m_pSettings->chooseMusicFile();
        if (!szFile.isEmpty())
            changeMusicList(tracks() << szFile, crossfade());
        showTracks();
    });
    connect(&panel, &MusicPanel::sig_removeTrack, this, [=](int iRow) {
        // The only track goes with the settings' "no music", not here.
        QStringList list = tracks();
        if (iRow >= 0 && iRow < list.size() && list.size() > 1) {
            list.removeAt(iRow);
            changeMusicList(list, crossfade());
        }
        showTracks();
    });
    connect(&panel, &MusicPanel::sig_moveTrack, this, [=, &panel](int iFrom, int iTo) {
        QStringList list = tracks();
        if (iFrom >= 0 && iTo >= 0 && iFrom < list.size() && iTo < list.size()) {
            list.move(iFrom, iTo);
            changeMusicList(list, crossfade());
        }
        showTracks();
        // The moved track stays the current one.
        panel.setCurrentTrack(iTo);
    });
    connect(&panel, &MusicPanel::sig_crossfadeChanged, this,
            [=](qint64 crossfadeUs) { changeMusicList(tracks(), crossfadeUs); });
    panel.showClips(job.duckDb, job.pauseMusicForClips, job.clipsHaveSound());
    connect(&panel, &MusicPanel::sig_clipsChanged, this, [this](int duckDb, bool bPause) {
        const Album &album = m_pDocument->album();
        duckDb = std::clamp(duckDb, 0, kMaxDuckDb);
        if (refuseEdit() || (duckDb == album.duckDb && bPause == album.pauseMusicForClips))
            return;
        // Steps of the decibel box in a row are one undo step; the pause is one of its own.
        const bool bPauseChanged = bPause != album.pauseMusicForClips;
        m_pDocument->beginEdit();
        m_pPreview->halt(); // the preview's sound reads the album when it starts again
        m_pDocument->edit().duckDb = duckDb;
        m_pDocument->edit().pauseMusicForClips = bPause;
        m_pDocument->commitEdit(bPauseChanged ? tr("Change music during clips")
                                              : tr("Change music under clips"),
                                bPauseChanged ? -1 : kMergeMusicDuck);
    });
    connect(&panel, &MusicPanel::sig_fit, this, [this, &panel] {
        const QString szError = fitPicturesToMusicNow();
        if (!szError.isEmpty())
            toast(szError, &panel);
    });
    m_pBeats->attach(panel);
    panel.exec();
    // The settings name the first track and how many follow it.
    m_pSettings->showPages();
}

void ZodoZadar::changeMusicShape(const MusicShape &shape)
{
    if (refuseEdit() || !m_pDocument->album().hasMusic())
        return;
    Album &job = m_pDocument->edit();
    const MusicShape before = job.musicShape;
    m_pDocument->beginEdit();
    {
        // The preview's music decoder reads the shape when it starts: halted, it starts again
        // with the new one.
        m_pPreview->halt();
        job.musicShape = clampedMusicShape(shape);
    }
    m_pDocument->commitEdit(tr("Change music settings"), musicMergeId(before, job.musicShape));
}

void ZodoZadar::changeMusicList(const QStringList &tracks, int64_t crossfadeUs)
{
    if (refuseEdit() || !m_pDocument->album().hasMusic() || tracks.isEmpty() ||
        tracks.contains(QString()))
        return;
    const Album &album = m_pDocument->album();
    const QStringList before = album.musicTracks();
    crossfadeUs = std::clamp<int64_t>(crossfadeUs, 0, kMaxMusicCrossfade);
    if (tracks == before && crossfadeUs == album.musicCrossfade)
        return;
    // One kind of change per step, named for what the user did; steps of the crossfade box in a
    // row are one undo step, as the shape's are.
    const QString szText = tracks.size() > before.size()   ? tr("Add music track")
                           : tracks.size() < before.size() ? tr("Remove music track")
                           : tracks != before              ? tr("Move music track")
                                                           : tr("Change music crossfade");
    m_pDocument->beginEdit();
    m_pPreview->halt();
    // The grid corrections belong to their tracks, wherever these go in the list.
    m_pDocument->edit().beatCorrections =
        BeatKeeper::followTracks(before, album.beatCorrections, tracks);
    m_pDocument->edit().setMusicTracks(tracks);
    m_pDocument->edit().musicCrossfade = crossfadeUs;
    m_pDocument->commitEdit(szText, tracks == before ? kMergeMusicCrossfade : -1);
}

QString ZodoZadar::fitPicturesToMusicNow()
{
    if (refuseEdit())
        return QString();
    if (!m_pDocument->album().hasMusic() || !hasRenderedPictures())
        return tr("Choose pictures and background music first");
    Album &job = m_pDocument->edit();
    // The whole file is decoded to measure it: on a thread of its own, so that a long song does
    // not freeze the window, under the music workflow, so that nothing else starts meanwhile,
    // and before the album is locked, so that the preview's locks are not held that long.
    if (!beginWorkflow(Workflow::Music, WorkflowPhase::Running))
        return QString();
    int64_t length = AVERROR(EINVAL);
    {
        QEventLoop loop;
        std::unique_ptr<QThread> measure(
            QThread::create([&length, tracks = job.musicTracks(), crossfade = job.musicCrossfade] {
                length = tracks.size() > 1 ? decodedMusicListLength(tracks, crossfade)
                                           : decodedMusicLength(tracks.value(0));
            }));
        measure->setObjectName(QStringLiteral("MusicLength"));
        connect(measure.get(), &QThread::finished, &loop, &QEventLoop::quit);
        measure->start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        measure->wait();
    }
    endWorkflow(Workflow::Music);
    m_pDocument->beginEdit();
    MusicFitResult fit;
    {
        m_pPreview->halt();
        fit = fitPicturesToMusicLength(job, length);
        // Cut on the beat, the fit lasts: every later edit ends on the music's last bar again.
        if (fit.ok && job.beatCut != BeatCut::Off)
            job.beatFit = true;
    }
    if (fit.ok) {
        notify(fit.change);
        updatePictureMarks();
    }
    m_pDocument->commitEdit(tr("Fit pictures to music"));
    if (fit.ok) {
        // What the fit did, over the music panel when it asked.
        const int64_t iMs = totalDurationMs(job);
        const QString szLength = iMs >= 3600000
                                     ? QStringLiteral("%1:%2:%3")
                                           .arg(iMs / 3600000)
                                           .arg(iMs / 60000 % 60, 2, 10, QLatin1Char('0'))
                                           .arg(iMs / 1000 % 60, 2, 10, QLatin1Char('0'))
                                     : QStringLiteral("%1:%2")
                                           .arg(iMs / 60000)
                                           .arg(iMs / 1000 % 60, 2, 10, QLatin1Char('0'));
        toast(tr("%n pictures fitted to %1 of music", nullptr, int(job.materialOrder.size()))
                  .arg(szLength),
              QApplication::activeModalWidget());
    }
    return fit.error;
}
