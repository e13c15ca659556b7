// SPDX-License-Identifier: GPL-3.0-or-later
// The audio track of an export: the music decoded, converted, framed, looped and cut to the video.
#include "album.h"
#include "clipsound.h"
#include "exportstate.h"
#include "framegraph.h"
#include "musiclist.h"
#include "musicprobe.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cstdlib>

int nearestSampleRate(const int *supported, int requested)
{
    if (!supported)
        return requested;
    int best = requested;
    int64_t bestDiff = INT64_MAX;
    for (const int *r = supported; *r; ++r) {
        const int64_t diff = std::llabs(int64_t(*r) - requested);
        if (diff < bestDiff) {
            bestDiff = diff;
            best = *r;
            if (diff == 0)
                break;
        }
    }
    return best;
}

namespace {

// Encoders that take any frame length give this many samples per frame.
constexpr int kDefaultFrameSamples = 1024;
constexpr AVRational kMicroseconds{1, 1000000};
// How far before the start offset a pass of the music begins decoding (microseconds).
constexpr int64_t kMusicPreRoll = 100000;

// Sends one frame (null: end of stream) and writes every packet that is ready, in order.
int encodeAudio(ExportState &s, AVFrame *frame)
{
    AudioTrackState &a = s.audio;
    int ret = avcodec_send_frame(a.audioEncoder.get(), frame);
    if (ret < 0 && ret != AVERROR_EOF)
        return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Encode audio frame failed"), ret);
    for (;;) {
        ret = avcodec_receive_packet(a.audioEncoder.get(), s.audioPacket.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return 0;
        if (ret < 0)
            return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Encode audio frame failed"), ret);
        ret = writePacket(s, s.audioPacket.get(), a.audioStream, a.audioEncoder->time_base);
        if (ret < 0)
            return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Write audio packet failed"), ret);
    }
}

// Takes `count` samples from the FIFO into an encoder frame and encodes it. Encoders that need
// whole frames get the last, short one padded with silence.
int encodeFromFifo(ExportState &s, int count)
{
    AudioTrackState &a = s.audio;
    AVCodecContext *enc = a.audioEncoder.get();
    const bool fixedSize = !(enc->codec->capabilities &
                             (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) &&
                           enc->frame_size > 0;
    const int samples = fixedSize ? a.frameSize : count;
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    frame->nb_samples = samples;
    frame->format = enc->sample_fmt;
    av_channel_layout_default(&frame->ch_layout, enc->ch_layout.nb_channels);
    frame->sample_rate = enc->sample_rate;
    int ret = av_frame_get_buffer(frame.get(), 0);
    if (ret < 0)
        return ret;
    if (samples > count)
        av_samples_set_silence(frame->extended_data, count, samples - count,
                               enc->ch_layout.nb_channels, enc->sample_fmt);
    if (av_audio_fifo_read(a.sampleFifo.get(), reinterpret_cast<void **>(frame->extended_data),
                           count) < count)
        return AVERROR_UNKNOWN;
    frame->pts = a.audioPts;
    a.audioPts += av_rescale_q(samples, {1, enc->sample_rate}, enc->time_base);
    return encodeAudio(s, frame.get());
}

// Encodes the whole encoder frames the FIFO holds, up to the end of the video.
int encodeWholeFrames(ExportState &s)
{
    AudioTrackState &a = s.audio;
    const int64_t frameTicks =
        av_rescale_q(a.frameSize, {1, a.audioEncoder->sample_rate}, a.audioEncoder->time_base);
    while (av_audio_fifo_size(a.sampleFifo.get()) >= a.frameSize &&
           a.audioPts + frameTicks <= a.endPts) {
        const int ret = encodeFromFifo(s, a.frameSize);
        if (ret < 0)
            return ret;
    }
    return 0;
}

// Limits, drops the limiter's delay, converts to the encoder's format and queues a mixed frame
// of planar float.
int queueMixed(ExportState &s, AVFrame *frame)
{
    AudioTrackState &a = s.audio;
    a.limiter.process(reinterpret_cast<float *const *>(frame->extended_data), frame->nb_samples);
    if (a.limiterDrop >= frame->nb_samples) {
        a.limiterDrop -= frame->nb_samples;
        return 0;
    }
    int ret = dropLeadingSamples(frame, int(a.limiterDrop));
    a.limiterDrop = 0;
    if (ret >= 0)
        ret = convertSampleFormat(frame, a.audioEncoder->sample_fmt);
    if (ret < 0)
        return s.fail(nullptr, ret);
    if (av_audio_fifo_write(a.sampleFifo.get(), reinterpret_cast<void **>(frame->extended_data),
                            frame->nb_samples) < frame->nb_samples)
        return s.fail(nullptr, AVERROR_UNKNOWN);
    return 0;
}

// One frame of the album's sound with clips in it; 0 with nothing done when more music has to
// be read first, 1 when a frame was queued.
int mixChunk(ExportState &s)
{
    AudioTrackState &a = s.audio;
    const int n = a.frameSize;
    const int64_t first = a.samplesOut;
    if (a.hasMusic && av_audio_fifo_size(a.musicHeld.get()) < a.clipSound->musicWanted(first, n))
        return 0;
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    int ret = a.clipSound->mix(frame.get(), first, n, a.hasMusic ? a.musicHeld.get() : nullptr,
                               a.envelope);
    if (ret < 0)
        return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Read the sound of a clip failed"), ret);
    a.samplesOut += n;
    ret = queueMixed(s, frame.get());
    return ret < 0 ? ret : 1;
}

// Gain, fades and, above full volume, the limiter after them; then into the FIFO. With clips'
// sound the music waits in planar float to be mixed.
int queueSamples(ExportState &s, AVFrame *frame)
{
    AudioTrackState &a = s.audio;
    int ret = 0;
    if (a.clipSound) {
        if ((ret = convertSampleFormat(frame, AV_SAMPLE_FMT_FLTP)) < 0)
            return s.fail(nullptr, ret);
        if (av_audio_fifo_write(a.musicHeld.get(), reinterpret_cast<void **>(frame->extended_data),
                                frame->nb_samples) < frame->nb_samples)
            return s.fail(nullptr, AVERROR(ENOMEM));
        return 0;
    }
    if (a.shapeLevels) {
        // Turned up, the sound is shaped in floating point, where nothing clips before the
        // limiter has brought it under its ceiling.
        const AVSampleFormat encoderFormat = a.audioEncoder->sample_fmt;
        if (a.limiter.isValid())
            ret = convertSampleFormat(frame, AV_SAMPLE_FMT_FLTP);
        if (ret >= 0)
            ret = a.envelope.apply(frame, a.samplesOut);
        if (ret < 0)
            return s.fail(nullptr, ret);
        a.samplesOut += frame->nb_samples;
        if (a.limiter.isValid()) {
            a.limiter.process(reinterpret_cast<float *const *>(frame->extended_data),
                              frame->nb_samples);
            if (a.limiterDrop >= frame->nb_samples) {
                a.limiterDrop -= frame->nb_samples;
                return 0;
            }
            ret = dropLeadingSamples(frame, int(a.limiterDrop));
            a.limiterDrop = 0;
            if (ret >= 0)
                ret = convertSampleFormat(frame, encoderFormat);
            if (ret < 0)
                return s.fail(nullptr, ret);
        }
    } else {
        a.samplesOut += frame->nb_samples;
    }
    if (av_audio_fifo_write(a.sampleFifo.get(), reinterpret_cast<void **>(frame->extended_data),
                            frame->nb_samples) < frame->nb_samples)
        return s.fail(nullptr, AVERROR_UNKNOWN);
    return 0;
}

// One decoded frame of the music: cut to the start offset, converted, shaped and queued.
int takeMusicFrame(ExportState &s, AVFrame *frame)
{
    AudioTrackState &a = s.audio;
    const AVStream *stream = a.musicInput->streams[a.musicStreamIndex];
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
        frame->pts = frame->best_effort_timestamp;
    if (a.trimTo != AV_NOPTS_VALUE) {
        // The demuxer lands on a packet before the start: the sound before it is cut off.
        if (frame->pts == AV_NOPTS_VALUE || frame->sample_rate <= 0) {
            a.trimTo = AV_NOPTS_VALUE;
        } else {
            const int64_t skip =
                av_rescale_q(a.trimTo - frame->pts, stream->time_base, {1, frame->sample_rate});
            if (skip >= frame->nb_samples)
                return 0;
            a.trimTo = AV_NOPTS_VALUE;
            const int ret = dropLeadingSamples(frame, int(std::max<int64_t>(0, skip)));
            if (ret < 0)
                return s.fail(nullptr, ret);
        }
    }
    if (!cutAtMusicEnd(frame, a.musicEnd, stream->time_base))
        return 0;
    // Our own running sample count as timestamps: the music restarts at its beginning.
    frame->pts = a.samplesSinceRewind;
    a.samplesSinceRewind += frame->nb_samples;
    int ret = sendFrameToGraph(a.audioFormatGraph.get(), QStringLiteral("in"), frame);
    av_frame_unref(frame);
    if (ret < 0)
        return s.fail(nullptr, ret);
    for (;;) {
        bool got = false;
        ret = receiveFrameFromGraph(a.audioFormatGraph.get(), QStringLiteral("out"), frame, &got);
        if (ret < 0)
            return s.fail(nullptr, ret);
        if (!got)
            return 0;
        ret = queueSamples(s, frame);
        av_frame_unref(frame);
        if (ret < 0)
            return ret;
    }
}

// Back to where every pass of the music starts.
int rewindMusic(ExportState &s)
{
    AudioTrackState &a = s.audio;
    avcodec_flush_buffers(a.musicDecoder.get());
    if (a.hasStart) {
        // Straight to the start offset, a little before it so that the decoder has the frames
        // the one at the start builds on; the sound before the start is cut off as it comes.
        const AVStream *stream = a.musicInput->streams[a.musicStreamIndex];
        const int64_t preRoll = av_rescale_q(kMusicPreRoll, kMicroseconds, stream->time_base);
        a.trimTo = a.startPts;
        if (avformat_seek_file(a.musicInput.get(), a.musicStreamIndex, INT64_MIN,
                               a.startPts - preRoll, INT64_MAX,
                               AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0)
            return 0;
    }
    // From the beginning (also where the music cannot seek to its start offset).
    const int ret = avformat_seek_file(a.musicInput.get(), a.musicStreamIndex, INT64_MIN, 0,
                                       INT64_MAX, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    return ret < 0 ? s.fail(nullptr, ret) : 0;
}

// Queues the list's sound for every video frame so far.
int listStep(ExportState &s, int64_t wanted)
{
    AudioTrackState &a = s.audio;
    AVCodecContext *enc = a.audioEncoder.get();
    AVFrame *frame = s.audioFrame.get();
    auto queued = [&a, enc] {
        return a.audioPts + av_rescale_q(av_audio_fifo_size(a.sampleFifo.get()),
                                         {1, enc->sample_rate}, enc->time_base);
    };
    while (queued() < wanted) {
        int ret = 0;
        if (a.clipSound && (ret = mixChunk(s)) != 0) {
            if (ret < 0 || (ret = encodeWholeFrames(s)) < 0)
                return ret;
            continue;
        }
        ret = a.musicList->read(frame, a.frameSize);
        if (ret < 0)
            return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Read audio packet failed"), ret);
        // Above full volume the limiter takes floating point; otherwise the encoder's format.
        if (!a.limiter.isValid() && (ret = convertSampleFormat(frame, enc->sample_fmt)) < 0) {
            av_frame_unref(frame);
            return s.fail(nullptr, ret);
        }
        ret = queueSamples(s, frame);
        av_frame_unref(frame);
        if (ret < 0)
            return ret;
        ret = encodeWholeFrames(s);
        if (ret < 0)
            return ret;
    }
    return encodeWholeFrames(s);
}

// Opens the music file and its decoder (a list's first track tells the channel layout).
int openMusicTrack(ExportState &s, const QByteArray &musicPath)
{
    AudioTrackState &a = s.audio;
    AVFormatContext *rawInput = nullptr;
    // The reports name MP3 only for a file named so; any other music is "music".
    const bool bMp3Name = musicPath.toLower().endsWith(".mp3");
    if (avformat_open_input(&rawInput, musicPath.constData(), nullptr, nullptr) < 0)
        return s.fail(bMp3Name ? QT_TRANSLATE_NOOP("MediaEncoder", "Open mp3 file failed")
                               : QT_TRANSLATE_NOOP("MediaEncoder", "Open music file failed"),
                      AVERROR(EINVAL));
    a.musicInput.reset(rawInput);
    avformat_find_stream_info(a.musicInput.get(), nullptr);

    for (unsigned i = 0; i < a.musicInput->nb_streams; ++i) {
        if (a.musicInput->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            a.musicStreamIndex = int(i);
            break;
        }
    }
    if (a.musicStreamIndex < 0)
        return s.fail(
            bMp3Name ? QT_TRANSLATE_NOOP("MediaEncoder", "Can not find audio stream on mp3 file")
                     : QT_TRANSLATE_NOOP("MediaEncoder", "Can not find audio stream on music file"),
            AVERROR_STREAM_NOT_FOUND);
    AVStream *musicStream = a.musicInput->streams[a.musicStreamIndex];
    // The music may be a video's sound: its pictures are not read.
    for (unsigned i = 0; i < a.musicInput->nb_streams; ++i) {
        if (int(i) != a.musicStreamIndex)
            a.musicInput->streams[i]->discard = AVDISCARD_ALL;
    }
    a.musicEnd = musicEndPts(a.musicInput.get(), musicStream);

    auto decoderFailed = [&s] {
        return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Create audio decoder failed"),
                      AVERROR_DECODER_NOT_FOUND);
    };
    const AVCodec *decoderCodec = avcodec_find_decoder(musicStream->codecpar->codec_id);
    if (!decoderCodec)
        return decoderFailed();
    a.musicDecoder.reset(avcodec_alloc_context3(decoderCodec));
    if (!a.musicDecoder ||
        avcodec_parameters_to_context(a.musicDecoder.get(), musicStream->codecpar) < 0)
        return decoderFailed();
    a.musicDecoder->pkt_timebase = musicStream->time_base;
    if (avcodec_open2(a.musicDecoder.get(), decoderCodec, nullptr) < 0)
        return decoderFailed();
    AVCodecContext *dec = a.musicDecoder.get();
    if (dec->ch_layout.order != AV_CHANNEL_ORDER_NATIVE) {
        const int channels = dec->ch_layout.nb_channels > 0 ? dec->ch_layout.nb_channels : 2;
        av_channel_layout_uninit(&dec->ch_layout);
        av_channel_layout_default(&dec->ch_layout, channels);
    }
    if (dec->sample_rate <= 0 || dec->sample_fmt == AV_SAMPLE_FMT_NONE)
        return decoderFailed();
    return 0;
}

// Converts the music file's decoded frames to the encoder's format, rate and layout.
int setUpMusicFormat(ExportState &s)
{
    AudioTrackState &a = s.audio;
    const AVCodecContext *dec = a.musicDecoder.get();
    const AVCodecContext *enc = a.audioEncoder.get();
    SourcePadSpec in;
    in.mediaType = 1;
    in.format = dec->sample_fmt;
    in.sampleRate = dec->sample_rate;
    in.timeBase = {1, dec->sample_rate};
    in.channelLayout = dec->ch_layout.u.mask;
    in.channels = dec->ch_layout.nb_channels;
    in.label = QStringLiteral("in");
    const QString desc =
        QStringLiteral("aformat=sample_fmts='%1':sample_rates=%2:channel_layouts=%3")
            .arg(QString::fromUtf8(av_get_sample_fmt_name(enc->sample_fmt)),
                 QString::number(enc->sample_rate),
                 QString::number(defaultLayoutMask(enc->ch_layout.nb_channels)));
    a.audioFormatGraph =
        createFilterGraph(desc, {in}, {SinkPadSpec{enc->sample_fmt, QStringLiteral("out"), 1}});
    if (!a.audioFormatGraph)
        return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Create audio filter failed"),
                      AVERROR(EINVAL));
    return 0;
}

} // namespace

int setUpAudioTrack(ExportState &s, const QByteArray &musicPath, int64_t audioBitRate,
                    int64_t sampleRate)
{
    AudioTrackState &a = s.audio;
    a.audioPts = 0;
    // Without music the track is the clips' sound, in stereo.
    a.hasMusic = !musicPath.isEmpty();
    if (a.hasMusic) {
        const int ret = openMusicTrack(s, musicPath);
        if (ret < 0)
            return ret;
    }
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const AVChannelLayout &layout = a.hasMusic ? a.musicDecoder->ch_layout : stereo;

    // Audio codec: AAC for Matroska, else the container's default.
    const AVOutputFormat *guessed = av_guess_format(nullptr, s.outputPath.constData(), nullptr);
    const AVCodecID codecId =
        (guessed && guessed->extensions && av_match_name("mkv", guessed->extensions))
            ? AV_CODEC_ID_AAC
            : av_guess_codec(s.outputContext->oformat, nullptr, s.outputPath.constData(), nullptr,
                             AVMEDIA_TYPE_AUDIO);
    const AVCodec *codec = avcodec_find_encoder(codecId);
    auto streamFailed = [&s] {
        return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Create output audio stream failed"),
                      AVERROR(EINVAL));
    };
    if (!codec)
        return streamFailed();
    // An album that never chose a rate (one without music) gets the usual one.
    const int rate =
        nearestSampleRate(codec->supported_samplerates, sampleRate > 0 ? int(sampleRate) : 44100);
    const AVSampleFormat sampleFormat =
        codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_NONE;
    if (rate <= 0)
        return streamFailed();

    a.audioEncoder.reset(avcodec_alloc_context3(codec));
    if (!a.audioEncoder)
        return streamFailed();
    AVCodecContext *enc = a.audioEncoder.get();
    enc->codec_type = AVMEDIA_TYPE_AUDIO;
    enc->codec_id = codecId;
    if (av_channel_layout_copy(&enc->ch_layout, &layout) < 0)
        return streamFailed();
    enc->sample_fmt = sampleFormat;
    enc->bit_rate = audioBitRate;
    enc->sample_rate = rate;
    if (codecId == AV_CODEC_ID_WMAV2 && audioBitRate == 0)
        enc->bit_rate = (std::max(rate, 8000) * 8 / 1600) * 1600;
    enc->time_base = {1, rate};
    enc->framerate = {0, 1};
    if (s.outputContext->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(enc, codec, nullptr) < 0)
        return streamFailed();
    a.audioStream = avformat_new_stream(s.outputContext.get(), nullptr);
    if (!a.audioStream)
        return streamFailed();
    a.audioStream->time_base = enc->time_base;
    if (avcodec_parameters_from_context(a.audioStream->codecpar, enc) < 0)
        return streamFailed();

    a.frameSize = enc->frame_size > 0 ? enc->frame_size : kDefaultFrameSamples;
    a.sampleFifo.reset(
        av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, a.frameSize));
    if (!a.sampleFifo)
        return AVERROR(ENOMEM);

    // The sound is exactly as long as the video, and a fade-out has reached silence by the time
    // the video's last frame is shown.
    a.endPts = av_rescale_q(s.totalFrames, s.encoderTimeBase, enc->time_base);
    const int64_t lastFrameUs =
        av_rescale_q(std::max<int64_t>(0, s.totalFrames - 1), s.encoderTimeBase, kMicroseconds);

    // Shaping: the start is found by the music's timestamps, the gain counted in output samples
    // against the video, so both are exact to the sample.
    const Album &job = *s.album;
    const MusicShape shape = clampedMusicShape(job.musicShape);
    a.samplesOut = 0;
    if (job.clipsHaveSound()) {
        a.clipSound = std::make_unique<ClipSound>();
        a.clipSound->setUp(job, rate, enc->ch_layout.nb_channels);
        a.musicHeld.reset(
            av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, enc->ch_layout.nb_channels, a.frameSize));
        if (!a.musicHeld)
            return AVERROR(ENOMEM);
    }
    // Above full volume, or with clips' sound over the music, a limiter keeps the peaks in.
    if (shape.volume > 1.0 || a.clipSound) {
        a.limiter = PeakLimiter(rate, enc->ch_layout.nb_channels, kLimiterCeiling);
        a.limiterDrop = a.limiter.latency();
    }
    if (!a.hasMusic)
        return 0;
    int ret = setUpMusicFormat(s);
    if (ret < 0)
        return ret;
    const AVStream *musicStream = a.musicInput->streams[a.musicStreamIndex];
    a.hasStart = shape.start > 0;
    a.startPts = av_rescale_q(shape.start, kMicroseconds, musicStream->time_base) +
                 (musicStream->start_time != AV_NOPTS_VALUE ? musicStream->start_time : 0);
    a.shapeLevels = shape.changesLevels();
    a.envelope = MusicEnvelope(shape, lastFrameUs, rate);
    const QStringList tracks = job.musicTracks();
    if (tracks.size() > 1) {
        a.musicList = std::make_unique<MusicList>();
        ret = a.musicList->open(tracks, job.musicCrossfade, shape.start, rate,
                                enc->ch_layout.nb_channels);
        if (ret == AVERROR(ERANGE))
            return s.fail(
                QT_TRANSLATE_NOOP("MediaEncoder", "The music ends before its start offset"), ret);
        if (ret < 0) {
            const bool bMp3 =
                a.musicList->failedTrack().endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
            return s.fail(bMp3 ? QT_TRANSLATE_NOOP("MediaEncoder", "Open mp3 file failed")
                               : QT_TRANSLATE_NOOP("MediaEncoder", "Open music file failed"),
                          ret);
        }
        return 0;
    }
    return a.hasStart ? rewindMusic(s) : 0;
}

int audioStep(ExportState &s)
{
    AudioTrackState &a = s.audio;
    if (!a.active())
        return 0;
    AVCodecContext *enc = a.audioEncoder.get();
    AVFrame *frame = s.audioFrame.get();
    AVPacket *packet = s.audioPacket.get();
    // Sound for every video frame so far, never past the video's end.
    const int64_t wanted =
        std::min(av_rescale_q(s.videoPts, s.encoderTimeBase, enc->time_base), a.endPts);
    if (a.musicList)
        return listStep(s, wanted);
    auto queued = [&a, enc] {
        return a.audioPts + av_rescale_q(av_audio_fifo_size(a.sampleFifo.get()),
                                         {1, enc->sample_rate}, enc->time_base);
    };
    while (queued() < wanted) {
        int ret = 0;
        if (a.clipSound && (ret = mixChunk(s)) != 0) {
            if (ret < 0 || (ret = encodeWholeFrames(s)) < 0)
                return ret;
            continue;
        }
        if (!a.hasMusic)
            return s.fail(nullptr, AVERROR_BUG);
        ret = av_read_frame(a.musicInput.get(), packet);
        if (ret == AVERROR_EOF) {
            // A whole pass without a sample would loop for ever: the music has nothing to play.
            if (a.samplesSinceRewind == 0)
                return s.fail(a.hasStart
                                  ? QT_TRANSLATE_NOOP("MediaEncoder",
                                                      "The music ends before its start offset")
                                  : QT_TRANSLATE_NOOP("MediaEncoder", "Read audio packet failed"),
                              ret);
            a.samplesSinceRewind = 0;
            ret = rewindMusic(s);
            if (ret < 0)
                return ret;
            continue;
        }
        if (ret < 0)
            return s.fail(QT_TRANSLATE_NOOP("MediaEncoder", "Read audio packet failed"), ret);
        if (packet->stream_index != a.musicStreamIndex) {
            av_packet_unref(packet);
            continue;
        }
        ++a.packetsRead;
        ret = avcodec_send_packet(a.musicDecoder.get(), packet);
        av_packet_unref(packet);
        // Junk between MPEG frames is common in real MP3 files; such a packet is skipped.
        if (ret == AVERROR_INVALIDDATA)
            continue;
        if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
            return s.fail(nullptr, ret);
        // Every frame the packet gives, not only the first.
        for (;;) {
            ret = avcodec_receive_frame(a.musicDecoder.get(), frame);
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF || ret == AVERROR_INVALIDDATA)
                break;
            if (ret < 0)
                return s.fail(nullptr, ret);
            ret = takeMusicFrame(s, frame);
            av_frame_unref(frame);
            if (ret < 0)
                return ret;
        }
        ret = encodeWholeFrames(s);
        if (ret < 0)
            return ret;
    }
    return encodeWholeFrames(s);
}

int finishAudioTrack(ExportState &s)
{
    AudioTrackState &a = s.audio;
    if (!a.active())
        return 0;
    // What the FIFO holds past the video's end is not part of the album.
    const int rate = a.audioEncoder->sample_rate;
    const AVRational timeBase = a.audioEncoder->time_base;
    while (a.audioPts < a.endPts && av_audio_fifo_size(a.sampleFifo.get()) > 0) {
        const int64_t left = av_rescale_q(a.endPts - a.audioPts, timeBase, {1, rate});
        if (left <= 0)
            break;
        const int ret = encodeFromFifo(
            s, int(std::min<int64_t>({a.frameSize, av_audio_fifo_size(a.sampleFifo.get()), left})));
        if (ret < 0)
            return ret;
    }
    return encodeAudio(s, nullptr);
}
