// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's side of cutting on the beat: each music track's beat and waveform, found by a
// worker when the music changes and kept per file; the choice and the corrections as undo
// steps; the snapped timing derived again whenever the album changes.
#pragma once

#include "beatchoice.h"
#include "beatworker.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <vector>

class AlbumDocument;
class Album;
class MusicPanel;
class QThread;
class ZodoZadar;

// Thread contract: the user-interface thread; the worker runs on a thread of its own and
// answers through queued signals.
class BeatKeeper : public QObject
{
    Q_OBJECT
public:
    BeatKeeper(ZodoZadar &editor, AlbumDocument *pDocument);
    ~BeatKeeper() override;

    BeatWorker *worker() const { return m_pWorker; }
    // Where the worker caches its analyses; empty: the user's cache folder.
    void setCacheDir(const QString &szFolder);
    // What was found for a file; null while it is being analysed or was never asked for.
    const TrackBeats *track(const QString &szFile) const;
    // Every track of the album has its beat (or is known to have none).
    bool ready(const Album &album) const;
    // The album's snapped timing from its own durations and the beats of its music, or none
    // while the cut is off or a track's beat is not here yet.
    void derive(Album &album);
    // The panel's beat part shows the current track and hands its choices here while it lives.
    void attach(MusicPanel &panel);
    // One undo step each; refused while another workflow runs.
    void chooseCut(BeatCut cut);
    void chooseFit(bool bFit);
    void correct(int iTrack, const BeatCorrection &correction);

    // The corrections of the tracks `before` as they follow their tracks into `after` (a track
    // added, removed or moved): each track keeps its own; a new one has none.
    static QList<BeatCorrection> followTracks(const QStringList &before,
                                              const QList<BeatCorrection> &corrections,
                                              const QStringList &after);
    // Album microseconds of every change of picture: the middle of a transition, or the cut.
    static std::vector<int64_t> changeTimes(const Album &album);
    // Where album time `us` is heard: the track and the seconds into it (looping, crossfades
    // switching at their middle); -1 without music or lengths.
    static std::pair<int, double> heardAt(const Album &album, const QList<int64_t> &lengthsUs,
                                          int64_t us);

signals:
    void sig_progress(const QString &szFile, double fraction);
    void sig_arrived(const QString &szFile);
    // Asks the worker (queued).
    void sig_analyse(const QString &szFile);

private:
    void albumChanged();
    void arrived(const TrackBeats &result);

    ZodoZadar &m_editor;
    AlbumDocument *m_pDocument;
    BeatWorker *m_pWorker = nullptr;
    QPointer<QThread> m_pThread;
    QHash<QString, TrackBeats> m_tracks;
    QSet<QString> m_asked;
    bool m_bTimingChanged = false; // the last derivation moved the timing
    QString m_szRefusal;           // why the last derivation left the album's own timing
    void tellRefusal();
};
