// Synthetic frames for the player tests: solid pictures and tones made in memory.
#pragma once

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <cmath>
#include <cstring>

namespace testframes {

// A picture filled with one colour (Y, U, V for YUV420P; B, G, R for BGRA; RGB24 as R, G, B).
inline AVFrame *solidPicture(int width, int height, AVPixelFormat format, int c0, int c1, int c2)
{
    AVFrame *frame = av_frame_alloc();
    frame->width = width;
    frame->height = height;
    frame->format = format;
    frame->sample_aspect_ratio = AVRational{1, 1};
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    if (format == AV_PIX_FMT_YUV420P) {
        for (int y = 0; y < height; y++)
            std::memset(frame->data[0] + y * frame->linesize[0], c0, size_t(width));
        for (int y = 0; y < (height + 1) / 2; y++) {
            std::memset(frame->data[1] + y * frame->linesize[1], c1, size_t((width + 1) / 2));
            std::memset(frame->data[2] + y * frame->linesize[2], c2, size_t((width + 1) / 2));
        }
    } else {
        const int bpp = format == AV_PIX_FMT_BGRA ? 4 : 3;
        for (int y = 0; y < height; y++) {
            uint8_t *row = frame->data[0] + y * frame->linesize[0];
            for (int x = 0; x < width; x++) {
                row[x * bpp] = uint8_t(c0);
                row[x * bpp + 1] = uint8_t(c1);
                row[x * bpp + 2] = uint8_t(c2);
                if (bpp == 4)
                    row[x * bpp + 3] = 255;
            }
        }
    }
    return frame;
}

// A sine tone of `amplitude` (0..1) on channel 0; other channels are silent.
inline AVFrame *tone(int sampleRate, int channels, AVSampleFormat format, int samples,
                     double frequencyHz, double amplitude, int64_t firstSample = 0)
{
    AVFrame *frame = av_frame_alloc();
    frame->sample_rate = sampleRate;
    frame->format = format;
    frame->nb_samples = samples;
    av_channel_layout_default(&frame->ch_layout, channels);
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    av_samples_set_silence(frame->extended_data, 0, samples, channels, format);
    for (int i = 0; i < samples; i++) {
        const double v =
            amplitude * std::sin(2.0 * M_PI * frequencyHz * double(firstSample + i) / sampleRate);
        switch (format) {
        case AV_SAMPLE_FMT_S16:
            reinterpret_cast<int16_t *>(frame->data[0])[i * channels] = int16_t(v * 32767.0);
            break;
        case AV_SAMPLE_FMT_FLTP:
            reinterpret_cast<float *>(frame->extended_data[0])[i] = float(v);
            break;
        case AV_SAMPLE_FMT_FLT:
            reinterpret_cast<float *>(frame->data[0])[i * channels] = float(v);
            break;
        default:
            break;
        }
    }
    return frame;
}

} // namespace testframes
