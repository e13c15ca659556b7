// SPDX-License-Identifier: GPL-3.0-or-later
// The live preview's controller: the player's state, its clock, its music, and the snapshot of
// the album each run renders.
#pragma once

#include <QSize>

class AlbumDocument;
class AudioDecoder;
class CQVideoPlay;
class ImageViewer;
class QTimer;
class ZodoZadar;

// Thread contract: the user-interface thread. It asks the viewer and the music decoder for runs
// through their queued signals, handing each the document's snapshot first, and stops them
// through their atomic flags.
class PreviewController
{
public:
    enum State
    {
        Playing = 1,
        Paused = 2,
        Seeking = 3, // paused while the user holds the slider
        Stopped = 4
    };

    PreviewController(ZodoZadar &editor, AlbumDocument *pDocument, CQVideoPlay *pPlayer,
                      ImageViewer *pViewer, AudioDecoder *pMusic);
    ~PreviewController();

    int state() const { return m_iState; }

    // The player's signals.
    void playOrPause(bool bPlay);
    void sliderPressed();
    void sliderReleased(double lfDurationRatio);
    void runFinished();
    void playerGaveUp();
    void surfaceResized(QSize size);
    // The window went off screen, or something else asks the preview to hold: a running
    // preview pauses.
    void holdRequested();
    void pause();

    // An edit is under way: a running preview and the music stop, the player's audio stops and
    // the position goes back to 0. The next run renders the album as it is then.
    void halt();
    // The cover shows the album as it stands now.
    void refreshCover();
    // The viewer's and the music's next run starts from the album as it stands now.
    void publishAlbum();

private:
    void play();
    bool albumHasSound() const;
    void followClockWithMusic(int iMs);
    void applyShownSize();

    ZodoZadar &m_editor;
    AlbumDocument *m_pDocument;
    CQVideoPlay *m_pPlayer;
    ImageViewer *m_pViewer;
    AudioDecoder *m_pMusic;
    int m_iState = Stopped;
    // A window dragged to a new size sends many resizes: the preview follows the last one.
    QTimer *m_pResizeTimer = nullptr;
    static constexpr int kResizeSettleMs = 200;
};
