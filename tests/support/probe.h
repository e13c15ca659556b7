// Reading back what an export wrote, with libavformat and libavcodec.
#pragma once

#include "avhandles.h"
#include "framegraph.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <QImage>
#include <QList>
#include <QString>
#include <QVector>

#include <cmath>

namespace probe {

struct Stream
{
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    QString codec;
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int64_t packets = 0;
    int64_t bytes = 0;     // of all packets
    double endSeconds = 0; // end of the last packet
};

inline QList<Stream> streams(const QString &path)
{
    QList<Stream> out;
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return out;
    av::InputContextPtr in(raw);
    avformat_find_stream_info(in.get(), nullptr);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodecParameters *par = in->streams[i]->codecpar;
        Stream s;
        s.type = par->codec_type;
        s.codec = QString::fromUtf8(avcodec_get_name(par->codec_id));
        s.width = par->width;
        s.height = par->height;
        s.sampleRate = par->sample_rate;
        out << s;
    }
    av::PacketPtr pkt = av::makePacket();
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        Stream &s = out[pkt->stream_index];
        ++s.packets;
        s.bytes += pkt->size;
        const AVRational tb = in->streams[pkt->stream_index]->time_base;
        if (pkt->pts != AV_NOPTS_VALUE)
            s.endSeconds = std::max(s.endSeconds, (pkt->pts + pkt->duration) * av_q2d(tb));
        av_packet_unref(pkt.get());
    }
    return out;
}

inline const Stream *first(const QList<Stream> &list, AVMediaType type)
{
    for (const Stream &s : list)
        if (s.type == type)
            return &s;
    return nullptr;
}

// Decodes every video frame and returns the one at `index` (null image when there is none).
inline QImage videoFrame(const QString &path, int index)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return QImage();
    av::InputContextPtr in(raw);
    avformat_find_stream_info(in.get(), nullptr);
    const int si = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (si < 0)
        return QImage();
    const AVCodec *codec = avcodec_find_decoder(in->streams[si]->codecpar->codec_id);
    av::CodecContextPtr dec(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(dec.get(), in->streams[si]->codecpar);
    if (avcodec_open2(dec.get(), codec, nullptr) < 0)
        return QImage();
    av::PacketPtr pkt = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    int n = 0;
    auto drain = [&]() -> QImage {
        while (avcodec_receive_frame(dec.get(), frame.get()) >= 0) {
            if (n++ == index)
                return frameToImage(frame.get());
            av_frame_unref(frame.get());
        }
        return QImage();
    };
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == si) {
            avcodec_send_packet(dec.get(), pkt.get());
            const QImage img = drain();
            if (!img.isNull())
                return img;
        }
        av_packet_unref(pkt.get());
    }
    avcodec_send_packet(dec.get(), nullptr);
    return drain();
}

// Opens the first audio stream's decoder and hands every decoded frame to onFrame; onOpened sees
// the decoder first and may refuse (false). False when there is no audio to decode.
template <typename Opened, typename OnFrame>
inline bool eachAudioFrame(const QString &path, Opened onOpened, OnFrame onFrame)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return false;
    av::InputContextPtr in(raw);
    avformat_find_stream_info(in.get(), nullptr);
    const int si = av_find_best_stream(in.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (si < 0)
        return false;
    const AVCodec *codec = avcodec_find_decoder(in->streams[si]->codecpar->codec_id);
    av::CodecContextPtr dec(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(dec.get(), in->streams[si]->codecpar);
    if (avcodec_open2(dec.get(), codec, nullptr) < 0 || !onOpened(dec.get()))
        return false;
    av::PacketPtr pkt = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    auto drain = [&] {
        while (avcodec_receive_frame(dec.get(), frame.get()) >= 0) {
            onFrame(frame.get());
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == si) {
            avcodec_send_packet(dec.get(), pkt.get());
            drain();
        }
        av_packet_unref(pkt.get());
    }
    avcodec_send_packet(dec.get(), nullptr);
    drain();
    return true;
}

// The first audio stream decoded to mono float samples at its own rate, or converted to
// `toRate` as an export's sound is (then *rate is toRate).
inline QVector<float> audioMono(const QString &path, int *rate, int toRate = 0)
{
    QVector<float> out;
    av::SwrPtr swr;
    const auto opened = [&](AVCodecContext *dec) {
        *rate = toRate > 0 ? toRate : dec->sample_rate;
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext *swrRaw = nullptr;
        swr_alloc_set_opts2(&swrRaw, &mono, AV_SAMPLE_FMT_FLT, *rate, &dec->ch_layout,
                            dec->sample_fmt, dec->sample_rate, 0, nullptr);
        swr.reset(swrRaw);
        return swr && swr_init(swr.get()) >= 0;
    };
    const auto convert = [&](const uint8_t **in, int count) {
        QVector<float> buf(int(swr_get_out_samples(swr.get(), count)) + 256);
        uint8_t *dst = reinterpret_cast<uint8_t *>(buf.data());
        const int n = swr_convert(swr.get(), &dst, buf.size(), in, count);
        if (n > 0)
            out += buf.mid(0, n);
        return n;
    };
    const bool decoded = eachAudioFrame(path, opened, [&](const AVFrame *frame) {
        convert(const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
    });
    // What the resampler still holds.
    while (decoded && toRate > 0 && convert(nullptr, 0) > 0) {
    }
    return out;
}

struct Packet
{
    int64_t pts = 0;
    int64_t duration = 0;
    bool key = false;
};

// Every packet of the first stream of `type`, in the stream's time base (returned in
// *timeBase). `options` go to the demuxer ("min_delay=0": GIF delays as written).
inline QVector<Packet> packets(const QString &path, AVMediaType type,
                               AVRational *timeBase = nullptr, const char *options = nullptr)
{
    QVector<Packet> out;
    AVDictionary *dict = nullptr;
    if (options)
        av_dict_parse_string(&dict, options, "=", ":", 0);
    AVFormatContext *raw = nullptr;
    const int opened = avformat_open_input(&raw, path.toUtf8().constData(), nullptr, &dict);
    av_dict_free(&dict);
    if (opened < 0)
        return out;
    av::InputContextPtr in(raw);
    avformat_find_stream_info(in.get(), nullptr);
    const int si = av_find_best_stream(in.get(), type, -1, -1, nullptr, 0);
    if (si < 0)
        return out;
    if (timeBase)
        *timeBase = in->streams[si]->time_base;
    av::PacketPtr pkt = av::makePacket();
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == si)
            out << Packet{pkt->pts, pkt->duration, (pkt->flags & AV_PKT_FLAG_KEY) != 0};
        av_packet_unref(pkt.get());
    }
    return out;
}

// The largest sample of any channel of the first audio stream, decoded (1.0 is full scale).
inline double audioPeak(const QString &path)
{
    double peak = 0;
    const bool ok = eachAudioFrame(
        path, [](AVCodecContext *) { return true; },
        [&](const AVFrame *frame) {
            const int channels = frame->ch_layout.nb_channels;
            const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format));
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < frame->nb_samples; ++i) {
                    const int plane = planar ? c : 0;
                    const int at = planar ? i : i * channels + c;
                    double v = 0;
                    switch (frame->format) {
                    case AV_SAMPLE_FMT_FLT:
                    case AV_SAMPLE_FMT_FLTP:
                        v = reinterpret_cast<const float *>(frame->extended_data[plane])[at];
                        break;
                    case AV_SAMPLE_FMT_S16:
                    case AV_SAMPLE_FMT_S16P:
                        v = reinterpret_cast<const int16_t *>(frame->extended_data[plane])[at] /
                            32768.0;
                        break;
                    default:
                        v = 99; // a format this helper does not read
                    }
                    peak = std::max(peak, std::fabs(v));
                }
        });
    return ok ? peak : -1;
}

inline double rms(const QVector<float> &s, int from, int count)
{
    double sum = 0;
    int n = 0;
    for (int i = std::max(0, from); i < std::min<int>(s.size(), from + count); ++i, ++n)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0;
}

} // namespace probe
