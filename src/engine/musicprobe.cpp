// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a music file as the preview's music decoder does, and telling whether its sound plays.
#include "musicprobe.h"

#include "framegraph.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/mathematics.h>
}

namespace {
// Packets read before a file whose sound gives nothing is refused: a second or more of any
// codec, and past the headers that give no sound of their own (Vorbis, Opus).
constexpr int kProbePackets = 200;
} // namespace

int openMusicInput(const QString &szFile, av::InputContextPtr &input, AVStream *&stream)
{
    stream = nullptr;
    input.reset();
    if (szFile.isEmpty())
        return AVERROR(EINVAL);
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, ffmpegPath(szFile).constData(), nullptr, nullptr) < 0)
        return AVERROR(EINVAL);
    input.reset(raw);
    const int ret = avformat_find_stream_info(input.get(), nullptr);
    if (ret < 0)
        return ret;
    for (unsigned i = 0; i < input->nb_streams && !stream; ++i) {
        if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            stream = input->streams[i];
    }
    for (unsigned i = 0; stream && i < input->nb_streams; ++i) {
        if (input->streams[i] != stream)
            input->streams[i]->discard = AVDISCARD_ALL;
    }
    return stream ? 0 : AVERROR_STREAM_NOT_FOUND;
}

int openMusicDecoder(const AVStream *stream, av::CodecContextPtr &decoder)
{
    decoder.reset();
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return AVERROR_DECODER_NOT_FOUND;
    decoder.reset(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return AVERROR_DECODER_NOT_FOUND;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return AVERROR_DECODER_NOT_FOUND;
    return 0;
}

MusicProbe probeMusicFile(const QString &szFile)
{
    MusicProbe probe;
    av::InputContextPtr input;
    AVStream *stream = nullptr;
    probe.code = openMusicInput(szFile, input, stream);
    if (!stream) {
        probe.fault = input ? MusicFault::NoSound : MusicFault::NotMedia;
        return probe;
    }
    probe.codecId = stream->codecpar->codec_id;
    av::CodecContextPtr decoder;
    if (openMusicDecoder(stream, decoder) < 0) {
        probe.fault = MusicFault::NoDecoder;
        return probe;
    }
    // A stream that names a codec can still hold nothing the decoder takes: the sound counts
    // only once a frame of samples comes out.
    probe.fault = MusicFault::Undecodable;
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    if (!packet || !frame)
        return probe;
    const auto heard = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const bool sound = frame->nb_samples > 0 && frame->sample_rate > 0;
            av_frame_unref(frame.get());
            if (sound)
                return true;
        }
        return false;
    };
    for (int packets = 0; packets < kProbePackets;) {
        if (av_read_frame(input.get(), packet.get()) < 0)
            break;
        const bool ours = packet->stream_index == stream->index;
        if (ours) {
            ++packets;
            avcodec_send_packet(decoder.get(), packet.get());
        }
        av_packet_unref(packet.get());
        if (ours && heard()) {
            probe.fault = MusicFault::None;
            return probe;
        }
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (heard())
        probe.fault = MusicFault::None;
    return probe;
}

int64_t musicEndPts(const AVFormatContext *input, const AVStream *stream)
{
    if (!input || !input->iformat || !stream || stream->duration == AV_NOPTS_VALUE ||
        stream->duration <= 0 || !av_match_name("mp4", input->iformat->name))
        return AV_NOPTS_VALUE;
    return stream->duration + (stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0);
}

bool cutAtMusicEnd(AVFrame *frame, int64_t endPts, AVRational timeBase)
{
    if (endPts == AV_NOPTS_VALUE || frame->pts == AV_NOPTS_VALUE || frame->sample_rate <= 0)
        return true;
    const int64_t keep = av_rescale_q(endPts - frame->pts, timeBase, {1, frame->sample_rate});
    if (keep <= 0)
        return false;
    // The buffers stay as they are: only the count of samples that play goes down.
    if (keep < frame->nb_samples)
        frame->nb_samples = int(keep);
    return true;
}
