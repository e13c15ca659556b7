// SPDX-License-Identifier: GPL-3.0-or-later
// The beat of the album's music in the editor.
#include "beatkeeper.h"

#include "beatsection.h"
#include "musicpanel.h"
#include "previewcontroller.h"
#include "zodozadar.h"

#include "albumdocument.h"

#include "album.h"
#include "beatcut.h"
#include "musiclist.h"

#include <QApplication>
#include <QThread>
#include <QVector>

#include <algorithm>

namespace {
// Beats laid out this far past the album's own length: snapping makes a picture at most a few
// bars longer than asked.
constexpr int64_t kSpareUs = int64_t(60) * 1000000;
constexpr int64_t kSparePerPictureUs = int64_t(10) * 1000000;

int64_t untilOf(const Album &album)
{
    const int n = int(album.materialOrder.size());
    int64_t total = 0;
    for (int i = 0; i < n; ++i)
        total += album.pictureDuration(i) + album.slotDuration(i);
    return 2 * total + n * kSparePerPictureUs + kSpareUs;
}
} // namespace

BeatKeeper::BeatKeeper(ZodoZadar &editor, AlbumDocument *pDocument)
    : QObject(&editor), m_editor(editor), m_pDocument(pDocument)
{
    setObjectName(QStringLiteral("beatKeeper"));
    qRegisterMetaType<TrackBeats>();
    m_pWorker = new BeatWorker;
    m_pThread = new QThread;
    m_pThread->setObjectName(QStringLiteral("BeatWorker"));
    m_pWorker->moveToThread(m_pThread);
    connect(this, &BeatKeeper::sig_analyse, m_pWorker, &BeatWorker::analyse);
    connect(m_pWorker, &BeatWorker::sig_progress, this, &BeatKeeper::sig_progress);
    connect(m_pWorker, &BeatWorker::sig_done, this, &BeatKeeper::arrived);
    m_pThread->start(QThread::LowPriority);
    m_pDocument->setDerivation([this](Album &album) { derive(album); });
    connect(m_pDocument, &AlbumDocument::changed, this, &BeatKeeper::albumChanged);
}

BeatKeeper::~BeatKeeper()
{
    m_pDocument->setDerivation({});
    // The running analysis ends soon after it is told; the queued ones are skipped.
    m_pWorker->cancel = true;
    if (m_pThread) {
        m_pThread->quit();
        m_pThread->wait();
    }
    delete m_pWorker;
    delete m_pThread.data();
}

void BeatKeeper::setCacheDir(const QString &szFolder)
{
    // Read by the worker only while it answers a request, and every request is queued after
    // this.
    m_pWorker->cacheDir = szFolder;
}

const TrackBeats *BeatKeeper::track(const QString &szFile) const
{
    const auto it = m_tracks.constFind(szFile);
    return it == m_tracks.constEnd() ? nullptr : &it.value();
}

bool BeatKeeper::ready(const Album &album) const
{
    const QStringList tracks = album.musicTracks();
    return !tracks.isEmpty() && std::all_of(tracks.begin(), tracks.end(), [this](const QString &t) {
        return m_tracks.contains(t);
    });
}

void BeatKeeper::derive(Album &album)
{
    const int64_t before = totalDurationMs(album);
    HeardBeats heard;
    // Without the beat of every track (not found yet) the album plays its own durations.
    const bool bCut = album.beatCut != BeatCut::Off && album.hasMusic() && ready(album);
    if (bCut) {
        QList<BeatGrid> grids;
        QList<int64_t> lengths;
        for (const QString &file : album.musicTracks()) {
            const TrackBeats &t = m_tracks[file];
            grids.append(t.grid);
            lengths.append(t.lengthUs);
        }
        heard = heardBeats(album, grids, lengths, untilOf(album));
    }
    // No beats clears the snapped timing; the user's durations are the input either way.
    const BeatCutResult result = applyBeatCut(album, heard, album.beatFit);
    m_szRefusal = bCut && !result.ok ? result.error : QString();
    m_bTimingChanged = m_bTimingChanged || totalDurationMs(album) != before;
}

void BeatKeeper::albumChanged()
{
    const Album &album = m_pDocument->album();
    for (const QString &file : album.musicTracks()) {
        if (!m_asked.contains(file)) {
            m_asked.insert(file);
            emit sig_analyse(file);
        }
    }
    if (std::exchange(m_bTimingChanged, false)) {
        m_editor.setTotalTimeDisplay();
        m_editor.updatePictureMarks();
    }
}

void BeatKeeper::arrived(const TrackBeats &result)
{
    m_tracks.insert(result.file, result);
    const Album &album = m_pDocument->album();
    if (album.beatCut != BeatCut::Off && album.musicTracks().contains(result.file) &&
        ready(album) && !m_pDocument->editing()) {
        // The choice was made before the beat was here: it takes effect now, as part of that
        // choice (no step of its own).
        m_editor.preview()->halt();
        m_pDocument->rederive();
        tellRefusal();
    }
    emit sig_arrived(result.file);
}

void BeatKeeper::chooseCut(BeatCut cut)
{
    const Album &album = m_pDocument->album();
    if (m_editor.refuseEdit() || !album.hasMusic() || album.beatCut == cut)
        return;
    m_pDocument->beginEdit();
    m_editor.preview()->halt();
    m_pDocument->edit().beatCut = cut;
    m_pDocument->commitEdit(tr("Cut on the beat"));
    tellRefusal();
}

void BeatKeeper::chooseFit(bool bFit)
{
    const Album &album = m_pDocument->album();
    if (m_editor.refuseEdit() || !album.hasMusic() || album.beatFit == bFit)
        return;
    m_pDocument->beginEdit();
    m_editor.preview()->halt();
    m_pDocument->edit().beatFit = bFit;
    m_pDocument->commitEdit(tr("Fit to the music"));
    tellRefusal();
}

void BeatKeeper::tellRefusal()
{
    // Over the music panel when it is up: that is where the choice was made.
    if (!m_szRefusal.isEmpty())
        m_editor.toast(m_szRefusal, QApplication::activeModalWidget(), 4000);
}

void BeatKeeper::correct(int iTrack, const BeatCorrection &correction)
{
    const Album &album = m_pDocument->album();
    if (m_editor.refuseEdit() || iTrack < 0 || iTrack >= album.musicTracks().size())
        return;
    QList<BeatCorrection> corrections = album.beatCorrections;
    while (corrections.size() <= iTrack)
        corrections.append(BeatCorrection());
    if (corrections[iTrack] == correction)
        return;
    corrections[iTrack] = correction;
    // Trailing defaults are not kept: an album whose grids are as found compares equal to one
    // never corrected.
    while (!corrections.isEmpty() && corrections.last().isDefault())
        corrections.removeLast();
    m_pDocument->beginEdit();
    m_editor.preview()->halt();
    m_pDocument->edit().beatCorrections = corrections;
    m_pDocument->commitEdit(tr("Correct the beat"));
    tellRefusal();
}

QList<BeatCorrection> BeatKeeper::followTracks(const QStringList &before,
                                               const QList<BeatCorrection> &corrections,
                                               const QStringList &after)
{
    QList<BeatCorrection> out;
    QVector<bool> taken(before.size(), false);
    for (const QString &track : after) {
        // The same file twice in the list: each place takes the next of its own.
        int i = -1;
        for (int j = 0; j < before.size(); ++j) {
            if (!taken[j] && before[j] == track) {
                i = j;
                break;
            }
        }
        if (i >= 0)
            taken[i] = true;
        out.append(i >= 0 ? corrections.value(i) : BeatCorrection());
    }
    while (!out.isEmpty() && out.last().isDefault())
        out.removeLast();
    return out;
}

std::vector<int64_t> BeatKeeper::changeTimes(const Album &album)
{
    std::vector<int64_t> times;
    const int n = int(album.materialOrder.size());
    for (int i = 0; i + 1 < n; ++i)
        times.push_back(album.pictureStart(i + 1) - album.slotDuration(i) / 2);
    return times;
}

std::pair<int, double> BeatKeeper::heardAt(const Album &album, const QList<int64_t> &lengthsUs,
                                           int64_t us)
{
    const int n = int(lengthsUs.size());
    if (n == 0 || us < 0 ||
        std::any_of(lengthsUs.begin(), lengthsUs.end(), [](int64_t l) { return l <= 0; }))
        return {-1, 0.0};
    // The list as it plays: each track overlapping the next by the crossfade, the whole list
    // starting again from the start offset when it ends.
    const int64_t fade = n > 1 ? effectiveCrossfade(lengthsUs, album.musicCrossfade) : 0;
    int64_t total = 0;
    for (int k = 0; k < n; ++k)
        total += lengthsUs[k] - (k + 1 < n ? fade : 0);
    const int64_t start = std::max<int64_t>(0, album.musicShape.start);
    if (start >= total)
        return {-1, 0.0};
    const int64_t p = start + us % (total - start);
    int64_t begin = 0;
    int k = 0;
    // A crossfade hands over at its middle.
    while (k + 1 < n && p >= begin + lengthsUs[k] - fade + fade / 2) {
        begin += lengthsUs[k] - fade;
        ++k;
    }
    return {k, double(p - begin) / 1e6};
}

void BeatKeeper::attach(MusicPanel &panel)
{
    BeatSection *pSection = panel.beatSection();
    const auto refresh = [this, pSection, &panel] {
        const Album &album = m_pDocument->album();
        pSection->showCut(album.beatCut, album.beatFit, album.hasMusic());
        const QStringList tracks = album.musicTracks();
        const int iTrack = panel.currentTrack();
        const QString file = tracks.value(iTrack);
        const TrackBeats *pTrack = track(file);
        if (!pTrack) {
            pSection->showTrack(nullptr, BeatGrid(), {}, BeatCorrection());
            return;
        }
        const BeatCorrection correction = album.beatCorrections.value(iTrack);
        std::vector<double> changes;
        if (ready(album)) {
            QList<int64_t> lengths;
            for (const QString &t : tracks)
                lengths.append(m_tracks[t].lengthUs);
            for (int64_t us : changeTimes(album)) {
                const auto [k, seconds] = heardAt(album, lengths, us);
                if (k == iTrack)
                    changes.push_back(seconds);
            }
        }
        pSection->showTrack(pTrack, correctedGrid(pTrack->grid, correction), changes, correction);
    };
    refresh();
    connect(m_pDocument, &AlbumDocument::changed, pSection, refresh);
    connect(this, &BeatKeeper::sig_arrived, pSection, refresh);
    connect(&panel, &MusicPanel::sig_currentTrackChanged, pSection, refresh);
    connect(this, &BeatKeeper::sig_progress, pSection,
            [this, pSection, &panel](const QString &szFile, double fraction) {
                if (!m_tracks.contains(szFile) &&
                    m_pDocument->album().musicTracks().value(panel.currentTrack()) == szFile)
                    pSection->showProgress(fraction);
            });
    connect(pSection, &BeatSection::sig_cutChosen, this, [this, refresh](BeatCut cut) {
        chooseCut(cut);
        refresh(); // a refused choice shows the album's again
    });
    connect(pSection, &BeatSection::sig_fitChosen, this, [this, refresh](bool bFit) {
        chooseFit(bFit);
        refresh();
    });
    connect(pSection, &BeatSection::sig_corrected, this,
            [this, &panel](const BeatCorrection &c) { correct(panel.currentTrack(), c); });
}
