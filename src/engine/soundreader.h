// SPDX-License-Identifier: GPL-3.0-or-later
// The sound of one file, decoded from an offset and resampled to planar float at a chosen rate and
// channel count: a music track, or the sound track of a clip.
#pragma once

#include "avhandles.h"

#include <QString>

#include <cstdint>

// Single-threaded. Samples collect in `fifo` as pull() decodes them.
struct SoundReader
{

    av::InputContextPtr input;
    AVStream *stream = nullptr;
    av::CodecContextPtr decoder;
    av::SwrPtr resampler;
    av::AudioFifoPtr fifo;
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    int64_t musicEnd = AV_NOPTS_VALUE;
    int64_t trimTo = AV_NOPTS_VALUE; // stream time; decoded sound before it is cut off
    bool eof = false;
    int rate = 0;
    int channels = 0;

    // offsetSamples: where to begin, in output samples past the sound's start, or with
    // bFromPicture past the start of the file's picture (a clip's sound, which keeps its place
    // beside the picture: one that starts later is preceded by silence).
    int open(const QString &path, int outRate, int outChannels, int64_t offsetSamples,
             bool bFromPicture = false);
    int writeSilence(int64_t count);
    // Resamples `in` (null: the resampler's remainder) into the FIFO.
    int convert(const AVFrame *in);
    int takeFrames();
    // Decodes until the FIFO grows or the sound ends (eof).
    int pull();
};
