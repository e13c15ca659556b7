// SPDX-License-Identifier: GPL-3.0-or-later
// Ownership of FFmpeg objects: unique_ptr aliases whose deleters call the library's free functions.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace av {

struct FrameDeleter
{
    void operator()(AVFrame *p) const { av_frame_free(&p); }
};
struct PacketDeleter
{
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct CodecContextDeleter
{
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
};
// For contexts opened with avformat_open_input.
struct InputContextDeleter
{
    void operator()(AVFormatContext *p) const { avformat_close_input(&p); }
};
// For muxers: closes the file (unless the container has none) and frees the context.
struct OutputContextDeleter
{
    void operator()(AVFormatContext *p) const
    {
        if (p->oformat && !(p->oformat->flags & AVFMT_NOFILE))
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
struct FilterGraphDeleter
{
    void operator()(AVFilterGraph *p) const { avfilter_graph_free(&p); }
};
struct FilterInOutDeleter
{
    void operator()(AVFilterInOut *p) const { avfilter_inout_free(&p); }
};
struct SwsDeleter
{
    void operator()(SwsContext *p) const { sws_freeContext(p); }
};
struct SwrDeleter
{
    void operator()(SwrContext *p) const { swr_free(&p); }
};
struct AudioFifoDeleter
{
    void operator()(AVAudioFifo *p) const { av_audio_fifo_free(p); }
};
// Marks the pool freeable: it goes once its last buffer is back.
struct BufferPoolDeleter
{
    void operator()(AVBufferPool *p) const { av_buffer_pool_uninit(&p); }
};
struct DictDeleter
{
    void operator()(AVDictionary *p) const { av_dict_free(&p); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

// An AVDictionary** friendly owner: pass `&d.raw` to FFmpeg, it is freed on scope exit.
struct Dict
{
    AVDictionary *raw = nullptr;
    Dict() = default;
    Dict(const Dict &) = delete;
    Dict &operator=(const Dict &) = delete;
    ~Dict() { av_dict_free(&raw); }
};

inline FramePtr makeFrame()
{
    return FramePtr(av_frame_alloc());
}
inline PacketPtr makePacket()
{
    return PacketPtr(av_packet_alloc());
}

} // namespace av
