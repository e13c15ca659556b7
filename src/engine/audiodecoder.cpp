// SPDX-License-Identifier: GPL-3.0-or-later
// AudioDecoder: the music decode loop, its looping, pausing and seeking, and the music's length.
#include "audiodecoder.h"

#include "clipsound.h"

#include "album.h"
#include "framegraph.h"
#include "mediainfoloader.h"
#include "musiclist.h"
#include "musicprobe.h"
#include "playerinterface.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
}

#include <QDebug>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <climits>

namespace {
constexpr AVRational kMsTimeBase{1, 1000};
// How often a paused loop looks at its flags when nobody wakes it (ms).
constexpr int kPausePollMs = 200;
// Pause after a read error other than the end of the file, before reading again (ms).
constexpr int kReadRetryMs = 10;
} // namespace

int musicDurationMs(const AVStream *stream, const QString &szFile)
{
    int64_t ms = -1;
    if (stream && stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        ms = av_rescale_q(stream->duration, stream->time_base, kMsTimeBase);
    if (ms <= 0)
        ms = MediaInfoLoader::parseDecimal(MediaInfoLoader::instance().audioDurationText(szFile));
    // A length of 0 is as good as none: it must never divide a position.
    return ms > 0 && ms <= INT_MAX ? int(ms) : -1;
}

AudioDecoder::AudioDecoder(QObject *parent) : QObject(parent)
{
    connect(this, &AudioDecoder::sig_close, this, &AudioDecoder::closeImpl);
    // Counted as it is asked for, on the asking thread, before the queued call can start.
    connect(
        this, &AudioDecoder::sig_decode, this, [this] { ++decodesRequested; },
        Qt::DirectConnection);
    connect(this, &AudioDecoder::sig_decode, this, &AudioDecoder::decodeImpl);
}

AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::closeImpl(int iExitEcode)
{
    QThread::currentThread()->exit(iExitEcode);
}

void AudioDecoder::stop()
{
    // Cancel first, then look at `active`: a decode that has set it and not yet seen the cancel
    // is stopped by the flag (see decodeImpl).
    decodesCancelledUpTo = decodesRequested.load();
    if (active) {
        running = false;
        wake();
    }
}

void AudioDecoder::pause()
{
    if (askedOrActive()) {
        paused = true;
        wake();
    }
}

void AudioDecoder::resume()
{
    if (askedOrActive()) {
        paused = false;
        wake();
    }
}

void AudioDecoder::setSeekRequest(int ms, bool bFollowClock)
{
    seekRequestedAtUs = av_gettime_relative();
    seekFollowsClock = bFollowClock;
    seekRequestMs = ms < 0 ? -1 : ms;
    wake();
}

void AudioDecoder::wake()
{
    // Taking the lock orders the flag written before it with the loop's test of it.
    {
        std::lock_guard<std::mutex> lock(controlMutex);
    }
    controlChanged.notify_all();
}

void AudioDecoder::setAlbum(AlbumSnapshotPtr snapshot)
{
    std::lock_guard<std::mutex> lock(albumMutex);
    published = std::move(snapshot);
}

void AudioDecoder::waitForControl(int ms, bool bWhilePaused)
{
    std::unique_lock<std::mutex> lock(controlMutex);
    controlChanged.wait_for(lock, std::chrono::milliseconds(ms), [this, bWhilePaused] {
        return !running || closing || seekRequestMs >= 0 || paused != bWhilePaused;
    });
}

void AudioDecoder::decodeImpl(QString szFile)
{
    if (closing)
        return;
    AlbumSnapshotPtr album;
    {
        std::lock_guard<std::mutex> lock(albumMutex);
        album = published ? published : std::make_shared<const Album>();
    }
    const Album &job = *album;
    // `paused` is not cleared: a pause made while this decode was asked for holds (every decode
    // clears it as it ends). `active` is set before the cancel is read: a stop that comes
    // between sees it and clears `running`.
    running = true;
    active = true;
    const uint64_t serial = ++decodesStarted;
    player = output.load();
    shape = clampedMusicShape(job.musicShape);
    albumLengthUs = av_rescale_q(job.totalDuration, job.totalTimeBase, AVRational{1, 1000000});
    envelopeRate = 0;
    limiter = PeakLimiter();
    passAlbumStartUs = 0;
    nextAlbumUs = 0;

    if (serial > decodesCancelledUpTo.load() && job.clipsHaveSound()) {
        decodeMixed(job);
    } else if (serial > decodesCancelledUpTo.load() && job.musicTracks().size() > 1) {
        decodeList(job);
    } else if (serial > decodesCancelledUpTo.load()) {
        const int ret = openMusic(szFile);
        if (ret >= 0)
            decodeLoop();
        else
            av_log(nullptr, AV_LOG_DEBUG, "music not played (%d)\n", ret);
    }

    loopCount = 0;
    seekRequestMs = -1;
    durationMs = -1;
    decoder.reset();
    input.reset();
    stream = nullptr;
    player = nullptr;
    paused = false;
    running = true;
    active = false;
}

int AudioDecoder::openMusic(const QString &szFile)
{
    const int ret = openMusicInput(szFile, input, stream);
    if (ret < 0)
        return ret;
    durationMs = musicDurationMs(stream, szFile);

    if (openMusicDecoder(stream, decoder) < 0)
        return AVERROR_DECODER_NOT_FOUND;
    decodedEnd = 0;
    musicEnd = musicEndPts(input.get(), stream);
    seekTarget = AV_NOPTS_VALUE;
    // The first pass begins at the start offset too.
    if (shape.start > 0)
        seekToMusic(0, 0);
    return 0;
}

void AudioDecoder::decodeLoop()
{
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    if (!packet || !frame)
        return;
    // A pass from the start to the end of the file that gives the player no sound means there
    // is none to play; looping it again would only spin. Frames count once they are past the
    // trim: in a broken file every frame can lie before the stream's start time, where a loop
    // back to the start cuts them all.
    int64_t framesThisPass = 0;
    bool wholePass = true;
    for (;;) {
        const int seek = seekRequestMs.exchange(-1);
        if (seek >= 0) {
            seekStartedUs = seekRequestedAtUs;
            jumpPlayIndex(seek);
            seekCatchUp = seekFollowsClock && seekTarget != AV_NOPTS_VALUE;
            const int length = durationMs;
            if (length > 0)
                loopCount = seek / length;
            wholePass = false;
        }
        if (!running || closing)
            break;
        if (paused) {
            waitForControl(kPausePollMs, true);
            continue;
        }
        int ret = av_read_frame(input.get(), packet.get());
        if (ret == AVERROR_EOF || (ret < 0 && input->pb && avio_feof(input->pb))) {
            if (durationMs <= 0 && decodedEnd > 0) {
                const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
                const int64_t ms = av_rescale_q(decodedEnd - start, stream->time_base, kMsTimeBase);
                if (ms > 0 && ms <= INT_MAX)
                    durationMs = int(ms);
            }
            if (wholePass && framesThisPass == 0)
                break;
            // The next pass follows the end of this one on the album's clock.
            const int64_t passEnd = av_rescale_q(
                decodedEnd - (stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0),
                stream->time_base, AVRational{1, 1000000});
            seekToMusic(0, passAlbumStartUs + std::max<int64_t>(0, passEnd - shape.start));
            ++loopCount;
            framesThisPass = 0;
            wholePass = true;
            continue;
        }
        if (ret < 0) {
            waitForControl(kReadRetryMs, false);
            continue;
        }
        if (packet->stream_index != stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        ret = avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        // Junk that the decoder rejects (common between MP3 frames) is skipped.
        if (ret < 0 && ret != AVERROR(EAGAIN))
            continue;
        // Every frame the packet gives, not only the first.
        while (running && avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
                frame->pts = frame->best_effort_timestamp;
            // The encoder's padding after the music's stated end is no part of a pass.
            if (!cutAtMusicEnd(frame.get(), musicEnd, stream->time_base)) {
                av_frame_unref(frame.get());
                continue;
            }
            if (frame->pts != AV_NOPTS_VALUE && frame->sample_rate > 0)
                decodedEnd = std::max(decodedEnd, frame->pts + av_rescale_q(frame->nb_samples,
                                                                            {1, frame->sample_rate},
                                                                            stream->time_base));
            // A frame without a rate or samples (a broken header) has no sound to give; handed
            // over, it would keep a silent loop going as if it played.
            const bool sound = frame->nb_samples > 0 && frame->sample_rate > 0;
            if (sound && trimToTarget(frame.get())) {
                ++framesThisPass;
                shapeFrame(frame.get());
                handOver(frame.get());
            }
            av_frame_unref(frame.get());
        }
    }
}

int AudioDecoder::handOver(AVFrame *frame)
{
    // A frame decoded just before a pause waits for the resume; a seek or stop makes it stale.
    while (paused && running && !closing && seekRequestMs < 0)
        waitForControl(kPausePollMs, true);
    if (!running || closing || seekRequestMs >= 0)
        return 0;
    if (stream)
        frame->time_base = stream->time_base;
    const int ret = player ? player->pushAudioFrame(frame) : -1;
    if (ret < 0 && frame->sample_rate > 0) {
        // Nobody plays it: keep the music's own pace rather than race through the file.
        waitForControl(int(int64_t(frame->nb_samples) * 1000 / frame->sample_rate), false);
    }
    return ret;
}

bool AudioDecoder::trimToTarget(AVFrame *frame)
{
    if (seekTarget == AV_NOPTS_VALUE)
        return true;
    if (frame->pts == AV_NOPTS_VALUE || frame->sample_rate <= 0 || frame->nb_samples <= 0) {
        seekTarget = AV_NOPTS_VALUE;
        return true;
    }
    if (seekCatchUp) {
        seekCatchUp = false;
        // The player's clock ran on since the request, and runs on until this sound is heard:
        // start as far into the music as the clock will be by then.
        const int64_t lateMs = (av_gettime_relative() - seekStartedUs) / 1000 +
                               (player ? player->audioLatencyMs() : 0);
        if (lateMs > 0)
            seekTarget += av_rescale_q(lateMs, kMsTimeBase, stream->time_base);
    }
    const AVRational sampleBase{1, frame->sample_rate};
    const int64_t skip = av_rescale_q(seekTarget - frame->pts, stream->time_base, sampleBase);
    if (skip >= frame->nb_samples)
        return false; // wholly before the target
    seekTarget = AV_NOPTS_VALUE;
    if (skip <= 0)
        return true;
    // The demuxer lands on a frame boundary before the target; the music starts at the target.
    av::FramePtr rest = av::makeFrame();
    if (!rest)
        return true;
    rest->format = frame->format;
    rest->sample_rate = frame->sample_rate;
    rest->nb_samples = frame->nb_samples - int(skip);
    if (av_channel_layout_copy(&rest->ch_layout, &frame->ch_layout) < 0 ||
        av_frame_get_buffer(rest.get(), 0) < 0)
        return true;
    av_samples_copy(rest->extended_data, frame->extended_data, 0, int(skip), rest->nb_samples,
                    frame->ch_layout.nb_channels, AVSampleFormat(frame->format));
    rest->pts = frame->pts + av_rescale_q(skip, sampleBase, stream->time_base);
    av_frame_unref(frame);
    av_frame_move_ref(frame, rest.get());
    return true;
}

void AudioDecoder::jumpPlayIndex(int time_millisecond)
{
    if (!input || !stream || !decoder)
        return;
    // The music from its start offset to its end repeats under the album.
    const int64_t length = durationMs > 0 ? int64_t(durationMs) * 1000 - shape.start : -1;
    const int64_t position = int64_t(std::max(0, time_millisecond)) * 1000;
    const int64_t offset = length > 0 ? position % length : position;
    seekToMusic(offset, position);
    limiter.reset(); // what it holds belongs to the old position
}

void AudioDecoder::seekToMusic(int64_t musicOffsetUs, int64_t albumAtUs)
{
    if (!input || !stream || !decoder)
        return;
    passAlbumStartUs = albumAtUs - musicOffsetUs;
    nextAlbumUs = albumAtUs;
    int64_t target =
        av_rescale_q(shape.start + musicOffsetUs, AVRational{1, 1000000}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        target += stream->start_time;
    seekCatchUp = false;
    avcodec_flush_buffers(decoder.get());
    if (avformat_seek_file(input.get(), stream->index, INT64_MIN, target, INT64_MAX,
                           AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
        qDebug("audio seek file error");
        seekTarget = AV_NOPTS_VALUE;
        return;
    }
    seekTarget = target;
}

void AudioDecoder::shapeFrame(AVFrame *frame)
{
    int64_t albumUs = nextAlbumUs;
    if (frame->pts != AV_NOPTS_VALUE) {
        const int64_t begin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        albumUs = passAlbumStartUs +
                  av_rescale_q(frame->pts - begin, stream->time_base, AVRational{1, 1000000}) -
                  shape.start;
    }
    nextAlbumUs = albumUs + av_rescale(frame->nb_samples, 1000000, frame->sample_rate);
    if (!shape.changesLevels())
        return;
    if (envelopeRate != frame->sample_rate) {
        envelope = MusicEnvelope(shape, albumLengthUs, frame->sample_rate);
        envelopeRate = frame->sample_rate;
    }
    // Turned up, the music is shaped in floating point and limited after the gain, as in the
    // export; it then reaches the player a few milliseconds late.
    const bool limited = shape.volume > 1.0;
    if (limited && convertSampleFormat(frame, AV_SAMPLE_FMT_FLTP) < 0)
        return;
    if (envelope.apply(frame, av_rescale(albumUs, frame->sample_rate, 1000000)) < 0 || !limited)
        return;
    if (limiter.sampleRate() != frame->sample_rate ||
        limiter.channels() != frame->ch_layout.nb_channels)
        limiter = PeakLimiter(frame->sample_rate, frame->ch_layout.nb_channels, kLimiterCeiling);
    limiter.process(reinterpret_cast<float *const *>(frame->extended_data), frame->nb_samples);
}

int64_t AudioDecoder::takeSeekMs()
{
    const int seek = seekRequestMs.exchange(-1);
    if (seek < 0)
        return -1;
    int64_t atMs = seek;
    // As with one track: a running clock has moved on by the time the sound is heard.
    if (seekFollowsClock)
        atMs += (av_gettime_relative() - seekRequestedAtUs) / 1000 +
                (player ? player->audioLatencyMs() : 0);
    return atMs;
}

void AudioDecoder::decodeList(const Album &job)
{
    // The sound goes out at the first track's own rate and channels; the player converts it.
    int rate = 44100;
    int channels = 2;
    {
        av::InputContextPtr first;
        AVStream *firstStream = nullptr;
        if (openMusicInput(job.musicPath, first, firstStream) >= 0) {
            if (firstStream->codecpar->sample_rate > 0)
                rate = firstStream->codecpar->sample_rate;
            if (firstStream->codecpar->ch_layout.nb_channels > 0)
                channels = std::min(2, firstStream->codecpar->ch_layout.nb_channels);
        }
    }
    MusicList list;
    int ret = list.open(job.musicTracks(), job.musicCrossfade, shape.start, rate, channels);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_DEBUG, "music list not played (%d)\n", ret);
        return;
    }
    durationMs = int(std::min<int64_t>(INT_MAX, av_rescale(list.passSamples(), 1000, rate)));
    envelope = MusicEnvelope(shape, albumLengthUs, rate);
    const bool limited = shape.volume > 1.0;
    if (limited)
        limiter = PeakLimiter(rate, channels, kLimiterCeiling);
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return;
    int64_t albumSample = 0; // the album's sample that the next frame starts at
    for (;;) {
        const int64_t atMs = takeSeekMs();
        if (atMs >= 0) {
            if (list.seek(atMs * 1000) < 0)
                break;
            albumSample = av_rescale(atMs, rate, 1000);
            loopCount = int(albumSample / std::max<int64_t>(1, list.passSamples()));
            limiter.reset();
        }
        if (!running || closing)
            break;
        if (paused) {
            waitForControl(kPausePollMs, true);
            continue;
        }
        if ((ret = list.read(frame.get())) < 0)
            break;
        frame->pts = albumSample;
        frame->time_base = AVRational{1, rate};
        if (shape.changesLevels() && envelope.apply(frame.get(), albumSample) >= 0 && limited)
            limiter.process(reinterpret_cast<float *const *>(frame->extended_data),
                            frame->nb_samples);
        albumSample += frame->nb_samples;
        loopCount = list.passCount();
        handOver(frame.get());
        av_frame_unref(frame.get());
    }
}

void AudioDecoder::decodeMixed(const Album &job)
{
    constexpr int kRate = 48000;
    constexpr int kChannels = 2;
    constexpr int kChunk = 1024;
    const bool bMusic = job.hasMusic();
    MusicList list;
    if (bMusic) {
        const int ret =
            list.open(job.musicTracks(), job.musicCrossfade, shape.start, kRate, kChannels);
        if (ret < 0) {
            av_log(nullptr, AV_LOG_DEBUG, "music not played under the clips (%d)\n", ret);
            return;
        }
        durationMs = int(std::min<int64_t>(INT_MAX, av_rescale(list.passSamples(), 1000, kRate)));
    }
    ClipSound clips;
    clips.setUp(job, kRate, kChannels);
    envelope = MusicEnvelope(shape, albumLengthUs, kRate);
    limiter = PeakLimiter(kRate, kChannels, kLimiterCeiling);
    av::AudioFifoPtr held(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, kChannels, kChunk));
    av::FramePtr frame = av::makeFrame();
    av::FramePtr music = av::makeFrame();
    if (!held || !frame || !music)
        return;
    const int64_t albumEnd = av_rescale(albumLengthUs, kRate, 1000000);
    int64_t albumSample = 0;
    for (;;) {
        const int64_t atMs = takeSeekMs();
        if (atMs >= 0) {
            albumSample = av_rescale(atMs, kRate, 1000);
            // The music has stood still for every pause before this point.
            const int64_t musicAt = albumSample - clips.pausedBefore(albumSample);
            if (bMusic && list.seek(av_rescale(musicAt, 1000000, kRate)) < 0)
                break;
            av_audio_fifo_reset(held.get());
            limiter.reset();
        }
        if (!running || closing)
            break;
        if (paused || (albumEnd > 0 && albumSample >= albumEnd)) {
            // Past the album's end there is nothing more to play until a seek.
            waitForControl(kPausePollMs, paused.load());
            continue;
        }
        const int wanted = clips.musicWanted(albumSample, kChunk);
        bool failed = false;
        while (bMusic && av_audio_fifo_size(held.get()) < wanted && !failed) {
            failed = list.read(music.get(), kChunk) < 0 ||
                     av_audio_fifo_write(held.get(), reinterpret_cast<void **>(music->data),
                                         music->nb_samples) < music->nb_samples;
            av_frame_unref(music.get());
        }
        if (failed || clips.mix(frame.get(), albumSample, kChunk, bMusic ? held.get() : nullptr,
                                envelope) < 0)
            break;
        limiter.process(reinterpret_cast<float *const *>(frame->extended_data), kChunk);
        frame->pts = albumSample;
        frame->time_base = AVRational{1, kRate};
        albumSample += kChunk;
        if (bMusic)
            loopCount = list.passCount();
        handOver(frame.get());
        av_frame_unref(frame.get());
    }
}
