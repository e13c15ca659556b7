// SPDX-License-Identifier: GPL-3.0-or-later
// MediaEncoder: turns an album into a video file, on a worker thread.
#pragma once

#include "album.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

struct ExportState;
struct AVFrame;

// Thread contract: lives on its own QThread; exportVideoImpl runs there and renders the album
// snapshot last given to setAlbum, which it keeps to its end (only the pointer is guarded).
// `running` is set when sig_exportVideo is emitted (on the emitting thread), cleared by any thread
// to cancel (a signal handler included: it is lock-free), and polled before every frame; a cancel
// made while the request is still queued ends it before it writes anything. framesDone/totalFrames
// may be read from any thread for progress displays.
class MediaEncoder : public QObject
{
    Q_OBJECT
public:
    explicit MediaEncoder(QObject *parent = nullptr);
    ~MediaEncoder() override;

    std::atomic<bool> running{true};
    std::atomic<int64_t> framesDone{0};
    std::atomic<int64_t> totalFrames{0};
    // Packets of the music the last export read: how much of it was decoded.
    std::atomic<int64_t> musicPacketsRead{0};
    // Sees every video frame as it goes to the encoder (tests: what is rendered, before the
    // codec's losses). Set while no export runs.
    std::function<void(const AVFrame *)> frameObserver;

    // The album the next export writes (any thread).
    void setAlbum(AlbumSnapshotPtr snapshot);

signals:
    void sig_close(int iExitCode);
    void sig_exportVideo();
    void sig_exportProgress(int iVal);
    void sig_exportFail(QString szError);
    void sig_succeeded();
    // The export ended because `running` was cleared: a cancel, not a failure. Emitted instead of
    // sig_exportFail; the temporary file is gone and an existing target is untouched.
    void sig_exportCancelled();

public slots:
    void exportVideoImpl();
    void closeImpl(int iExitCode);

private:
    friend struct ExportState;
    std::mutex albumMutex;
    AlbumSnapshotPtr published;
    int runExport(ExportState &s);
    int interrupt(ExportState &s);
    int setUp(ExportState &s);
    int setUpGifPalette(ExportState &s);
    int encodeStills(ExportState &s, int index);
    void startTransition(ExportState &s, const QString &szNextPath, int slotIndex);
    int encodeTransition(ExportState &s, const QString &szNextPath, int slotIndex);
    // bRepeat: the same picture as the frame before (a still), whose conversion is kept.
    int emitVideoFrame(ExportState &s, AVFrame *frame, const char *encodeMessage,
                       bool bRepeat = false);
    void reportProgress(ExportState &s);
};
