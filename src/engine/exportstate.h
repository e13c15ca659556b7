// SPDX-License-Identifier: GPL-3.0-or-later
// The state of one export, shared by the video and the audio steps of MediaEncoder.
#pragma once

#include "album.h"

#include "avhandles.h"
#include "clipsound.h"
#include "gifpalette.h"
#include "musiclist.h"
#include "musicshape.h"
#include "peaklimiter.h"
#include "transitionrenderer.h"
#include "watermark.h"

#include <QString>

#include <functional>
#include <future>
#include <memory>

struct PreparedPicture
{
    av::FramePtr frame; // a still in the encoder's format; null for a moving picture
    std::shared_ptr<const FrameSeries> frames; // a moving picture's frames
    int code = 0;
    const char *message = nullptr; // the failed step's message, untranslated
};

// A transition being rendered, or the failure of its start, waiting for its turn.
struct PendingTransition
{
    int slotIndex = -1;
    int64_t frameCount = 0;
    std::unique_ptr<TransitionRenderer> renderer;
    int code = 0;
    const char *message = nullptr;
};

struct AudioTrackState
{
    av::InputContextPtr musicInput;
    int musicStreamIndex = -1;
    av::CodecContextPtr musicDecoder;
    av::CodecContextPtr audioEncoder;
    AVStream *audioStream = nullptr;
    av::FilterGraphPtr audioFormatGraph;
    av::AudioFifoPtr sampleFifo;
    int frameSize = 0; // samples per encoder frame
    int64_t audioPts = 0;
    // Samples produced since the last rewind of the music; a pass that yields none means the
    // music has no playable audio, and looping it again would never reach the video's time.
    int64_t samplesSinceRewind = 0;
    // Shaping: where each pass of the music starts (in the music stream's time, the demuxer
    // lands before it and the sound before it is cut off: trimTo, until reached), the gain of
    // each output sample, and the output samples so far (the album's sample clock).
    int64_t startPts = 0;
    bool hasStart = false;
    int64_t trimTo = AV_NOPTS_VALUE;
    // Where the music's sound ends in its stream's time when the container says so exactly
    // (musicEndPts); decoded padding past it is cut on every pass.
    int64_t musicEnd = AV_NOPTS_VALUE;
    bool shapeLevels = false;
    MusicEnvelope envelope;
    int64_t samplesOut = 0;
    // Above full volume: the limiter after the gain, and the samples of its delay still to drop
    // so that the sound stays where the album has it.
    PeakLimiter limiter;
    int64_t limiterDrop = 0;
    // The sound ends with the video: its last sample, in the encoder's time base.
    int64_t endPts = 0;
    int64_t packetsRead = 0; // of the music stream
    // A music list of more than one track is read through this instead of the stream above,
    // which then only tells the channel layout.
    std::unique_ptr<MusicList> musicList;
    // Clips with sound: their sound is mixed over the music, which waits here (planar float)
    // and ducks or pauses under them. Without music the track is their sound alone.
    std::unique_ptr<ClipSound> clipSound;
    av::AudioFifoPtr musicHeld;
    bool hasMusic = true;

    bool active() const { return audioEncoder != nullptr; }
};

struct ExportState
{
    AlbumSnapshotPtr album; // what is exported, as it stood when the export was asked for
    const char *errorMessage = nullptr; // the failed step's message, untranslated
    bool interrupted = false;           // ended because the user cancelled, not by a failure
    bool folderAtFault = false;         // the output folder or its disk refused: name it
    QByteArray outputPath;              // the file the user asked for
    QByteArray temporaryPath; // written until the trailer is out, then renamed to outputPath
    QByteArray musicInputPath;
    av::OutputContextPtr outputContext;
    av::CodecContextPtr videoEncoder;
    AVStream *videoStream = nullptr;
    AVRational encoderTimeBase{1, 1};
    AVRational encoderFrameRate{0, 1};
    AVPixelFormat encoderPixelFormat = AV_PIX_FMT_NONE;
    int outputWidth = 0;
    int outputHeight = 0;
    int64_t totalTicks = 0;
    int64_t totalFrames = 0;
    av::FramePtr currentFrame;
    av::FramePtr nextFrame;
    // Moving pictures draw every frame; their stills above stay empty.
    std::shared_ptr<const FrameSeries> currentFrames;
    std::shared_ptr<const FrameSeries> nextFrames;
    av::FramePtr encodeFrame;
    av::PacketPtr videoPacket;
    int64_t videoPts = 0;
    int frameQuality = 0; // a fixed quantiser's lambda, set on every frame; 0 for none
    // GIF: frames are drawn in full colour and mapped onto the album's palette on the way to
    // the encoder; a frame sent again (a still) reuses its last mapping.
    std::unique_ptr<GifPalette> gifPalette;
    av::FramePtr paletteFrame;
    int64_t framesDone = 0;
    av::FramePtr watermarkFrame;
    WatermarkOverlay watermark;
    AudioTrackState audio;
    av::FramePtr audioFrame;
    av::PacketPtr audioPacket;
    // The next picture, prepared on another thread while the current one is encoded.
    std::future<PreparedPicture> prefetch;
    QString prefetchPath;
    PendingTransition transition;

    // Sets the user-facing message of a failing step and returns its code.
    int fail(const char *message, int code)
    {
        errorMessage = message;
        return code;
    }
    ~ExportState()
    {
        if (prefetch.valid())
            prefetch.wait();
    }
};

// Writes one packet of `stream` (timestamps in `timeBase`) and unreferences it.
int writePacket(ExportState &s, AVPacket *packet, AVStream *stream, AVRational timeBase);

// The rate of the zero-terminated list `supported` closest to `requested` (the first on a tie);
// `requested` itself when the encoder lists none.
int nearestSampleRate(const int *supported, int requested);

// Audio track steps (audiotrack.cpp).
int setUpAudioTrack(ExportState &s, const QByteArray &musicPath, int64_t audioBitRate,
                    int64_t sampleRate);
int audioStep(ExportState &s);
int finishAudioTrack(ExportState &s);
