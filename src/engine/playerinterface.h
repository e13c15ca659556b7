// SPDX-License-Identifier: GPL-3.0-or-later
// What the rendering engine needs of the player window: frames in, slider position out.
#pragma once

struct AVFrame;

// Implemented by the player window. Called from producer threads (preview renderer, music
// decoder); implementations must be safe to call from any thread.
class PlayerInterface
{
public:
    virtual ~PlayerInterface() = default;
    // Moves the frame's content into the playback queue (may block while it is full).
    // Returns a negative code when nothing plays; the caller's frame is unreferenced either way.
    virtual int pushVideoFrame(AVFrame *frame) = 0;
    virtual int pushAudioFrame(AVFrame *frame) = 0;
    // Slider position in milliseconds of the album's timeline.
    virtual double sliderPositionMs() = 0;
    // How long sound handed over now takes to be heard (the device's buffering), in ms.
    virtual int audioLatencyMs() { return 0; }
};
