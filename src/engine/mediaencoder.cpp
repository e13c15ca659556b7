// SPDX-License-Identifier: GPL-3.0-or-later
// MediaEncoder: set-up, still frames, transitions, watermark, progress and the file's fate.
#include "mediaencoder.h"

#include "album.h"
#include "averror.h"
#include "exportstate.h"
#include "framegraph.h"
#include "gifpalette.h"
#include "pictureheader.h"
#include "picturerenderer.h"
#include "transitionrenderer.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/cpu.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
}

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <new>
#include <system_error>

namespace {

// Transition frames rendered ahead of the encoder: enough to keep both busy. The queue holds
// frames in the encoder's format: at 4K (7282 x 4096) a 4:2:0 frame is about 43 MiB, so the
// queue can reach about 256 MiB, beside the two 4:4:4 stills (about 85 MiB each).
constexpr size_t kTransitionLookahead = 6;
// VP8's automatic ceiling: one bit for every ten pixels shown.
constexpr int64_t kVp8PixelsPerBit = 10;
// MPEG-4 Part 2's quantiser (2 best .. 31): 4 keeps photos close to H.264's automatic quality.
constexpr int kMpeg4Quantiser = 4;
// GIF: the album's palette is made from at most this many of its pictures, spread over it.
constexpr int kGifPaletteSamples = 32;
// Seconds between keyframes where the encoder's own default is far shorter (MPEG-4 Part 2).
constexpr int kKeyframeSeconds = 10;

bool extensionsContain(const AVOutputFormat *format, const char *name)
{
    return format && format->extensions && av_match_name(name, format->extensions);
}

// A hidden file beside the target, with a random part so that concurrent exports never meet.
QByteArray temporaryPathFor(const QString &target)
{
    const QFileInfo info(target);
    return QStringLiteral("%1/.%2.%3.part")
        .arg(info.path(), info.fileName(),
             QString::number(QRandomGenerator::global()->generate(), 36))
        .toUtf8();
}

// Decode and prepare one picture for the video in its look (the failing steps of a picture
// are named); a still comes out in the encoder's format.
PreparedPicture preparePictureFor(const QString &path, int W, int H, AVPixelFormat format,
                                  const ResolvedLook &look)
{
    PreparedPicture p;
    PreparedLook prepared = prepareLook(path, W, H, look);
    p.code = prepared.code;
    p.message = prepared.message;
    if (p.code < 0)
        return p;
    p.frames = std::move(prepared.frames);
    if (p.frames)
        return p;
    p.frame = std::move(prepared.still);
    p.code = convertPixelFormat(p.frame.get(), p.frame.get(), format);
    if (p.code < 0) {
        p.message = QT_TRANSLATE_NOOP("MediaEncoder", "Image format conversion failed");
        return p;
    }
    p.code = 0;
    p.frame->pts = 0;
    return p;
}

} // namespace

int writePacket(ExportState &s, AVPacket *packet, AVStream *stream, AVRational timeBase)
{
    packet->stream_index = stream->index;
    av_packet_rescale_ts(packet, timeBase, stream->time_base);
    // av_interleaved_write_frame takes the packet's reference; the caller's packet is left blank.
    const int ret = av_interleaved_write_frame(s.outputContext.get(), packet);
    av_packet_unref(packet);
    return ret;
}

MediaEncoder::MediaEncoder(QObject *parent) : QObject(parent)
{
    registerEngineMetaTypes();
    connect(this, &MediaEncoder::sig_close, this, &MediaEncoder::closeImpl);
    // A request arms the cancel flag when it is made, on the requesting thread, not when its
    // slot starts: a cancel made while the request waits in the queue must not be overwritten.
    // Connected first, so that it runs before the queued call can start.
    connect(
        this, &MediaEncoder::sig_exportVideo, this, [this] { running.store(true); },
        Qt::DirectConnection);
    connect(this, &MediaEncoder::sig_exportVideo, this, &MediaEncoder::exportVideoImpl);
}

MediaEncoder::~MediaEncoder() = default;

void MediaEncoder::closeImpl(int iExitCode)
{
    QThread::currentThread()->exit(iExitCode);
}

void MediaEncoder::setAlbum(AlbumSnapshotPtr snapshot)
{
    std::lock_guard<std::mutex> lock(albumMutex);
    published = std::move(snapshot);
}

void MediaEncoder::exportVideoImpl()
{
    framesDone.store(0);
    musicPacketsRead.store(0);
    totalFrames.store(0);
    AlbumSnapshotPtr album;
    {
        std::lock_guard<std::mutex> lock(albumMutex);
        album = published ? published : std::make_shared<const Album>();
    }
    const Album &job = *album;
    std::unique_ptr<ExportState> state;
    int ret = AVERROR_BUG;
    // Nothing may escape a slot: a thread that cannot be started or memory that cannot be had
    // ends this export with a report like any other failure.
    try {
        state = std::make_unique<ExportState>();
        state->album = album;
        state->musicInputPath = job.musicPath.isEmpty() ? QByteArray() : ffmpegPath(job.musicPath);
        state->outputPath = job.outputFilePath().toUtf8();
        ret = runExport(*state);
    } catch (const std::bad_alloc &) {
        ret = AVERROR(ENOMEM);
        if (state)
            state->fail(QT_TR_NOOP("Out of memory"), ret);
    } catch (const std::system_error &e) {
        const bool errnoCode = e.code().category() == std::generic_category() ||
                               e.code().category() == std::system_category();
        ret = errnoCode && e.code().value() > 0 ? AVERROR(e.code().value()) : AVERROR_EXTERNAL;
    } catch (...) {
        ret = AVERROR_EXTERNAL;
    }
    if (!state) {
        emit sig_exportFail(
            avErrorReport(ret == AVERROR(ENOMEM) ? tr("Out of memory") : QString(), ret));
        return;
    }
    ExportState &s = *state;
    musicPacketsRead.store(s.audio.packetsRead);
    if (ret < 0) {
        // A write the disk refused (full, gone) shows in the output's error, whatever step met it.
        const bool folderAtFault = s.folderAtFault || (s.outputContext && s.outputContext->pb &&
                                                       s.outputContext->pb->error < 0);
        // Only our own temporary file goes: a file the user chose to overwrite survives.
        s.outputContext.reset();
        if (!s.temporaryPath.isEmpty())
            QFile::remove(QString::fromUtf8(s.temporaryPath));
        const bool interrupted = s.interrupted;
        const QString message = s.errorMessage ? tr(s.errorMessage) : QString();
        const QString folder =
            QDir::toNativeSeparators(QFileInfo(QString::fromUtf8(s.outputPath)).absolutePath());
        state.reset();
        if (interrupted) {
            emit sig_exportCancelled();
            return;
        }
        QString report = avErrorReport(message, ret);
        if (folderAtFault)
            report = tr("%1 — %2").arg(report, folder);
        emit sig_exportFail(report);
        return;
    }
    state.reset();
    emit sig_exportProgress(100);
    emit sig_succeeded();
}

int MediaEncoder::interrupt(ExportState &s)
{
    s.interrupted = true;
    return s.fail(QT_TR_NOOP("Operation interrupted"), AVERROR(EINTR));
}

int MediaEncoder::runExport(ExportState &s)
{
    const Album &job = *s.album;
    // Cancelled while the request waited: no file is created at all.
    if (!running.load())
        return interrupt(s);
    // A file without a single frame is no video: refused before anything is written.
    if (job.materialOrder.isEmpty())
        return s.fail(QT_TR_NOOP("No pictures to export"), AVERROR(EINVAL));
    int ret = setUp(s);
    if (ret < 0)
        return ret;
    const int count = job.materialOrder.size();
    for (int i = 0; i < count; ++i) {
        if (!running.load())
            return interrupt(s);
        ret = encodeStills(s, i);
        if (ret < 0)
            return ret;
        if (count >= 2 && i < count - 1) {
            // A cut: the next picture's stills follow at once.
            if (job.slotFrameCount(i, s.encoderFrameRate) > 0) {
                ret = encodeTransition(s, job.materialOrder.at(i + 1), i);
            } else {
                av_frame_unref(s.currentFrame.get());
                s.currentFrames.reset();
            }
            if (ret < 0)
                return ret;
        }
    }

    ret = finishAudioTrack(s);
    if (ret < 0)
        return ret;
    ret = avcodec_send_frame(s.videoEncoder.get(), nullptr);
    if (ret < 0 && ret != AVERROR_EOF)
        return s.fail(QT_TR_NOOP("Encode video frame failed"), ret);
    for (;;) {
        ret = avcodec_receive_packet(s.videoEncoder.get(), s.videoPacket.get());
        if (ret == AVERROR_EOF || ret == AVERROR(EAGAIN))
            break;
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Encode video frame failed"), ret);
        ret = writePacket(s, s.videoPacket.get(), s.videoStream, s.encoderTimeBase);
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Write video packet failed"), ret);
    }
    ret = av_write_trailer(s.outputContext.get());
    if (ret < 0)
        return s.fail(QT_TR_NOOP("Write video packet failed"), ret);
    // Closing is the last write: its failure (a full disk, a vanished device) loses the file.
    if (!(s.outputContext->oformat->flags & AVFMT_NOFILE)) {
        ret = avio_closep(&s.outputContext->pb);
        if (ret < 0) {
            s.folderAtFault = true;
            return s.fail(QT_TR_NOOP("Write video packet failed"), ret);
        }
    }
    s.outputContext.reset();
    // The last moment a cancel can still keep the user's old file.
    if (!running.load())
        return interrupt(s);
    if (std::rename(s.temporaryPath.constData(), s.outputPath.constData()) != 0) {
        s.folderAtFault = true;
        return s.fail(QT_TR_NOOP("Create output file failed"), AVERROR(errno));
    }
    s.temporaryPath.clear();
    return 0;
}

int MediaEncoder::setUp(ExportState &s)
{
    const Album &job = *s.album;
    s.currentFrame = av::makeFrame();
    s.nextFrame = av::makeFrame();
    s.encodeFrame = av::makeFrame();
    s.videoPacket = av::makePacket();
    s.audioFrame = av::makeFrame();
    s.audioPacket = av::makePacket();
    if (!s.currentFrame || !s.nextFrame || !s.encodeFrame || !s.videoPacket || !s.audioFrame ||
        !s.audioPacket)
        return AVERROR(ENOMEM);

    // Output: the container follows from the extension of the name the user chose; the bytes
    // go to a temporary file beside it until the trailer is written.
    AVFormatContext *rawOutput = nullptr;
    int ret =
        avformat_alloc_output_context2(&rawOutput, nullptr, nullptr, s.outputPath.constData());
    if (ret < 0 || !rawOutput)
        return s.fail(QT_TR_NOOP("Create output file failed"), ret < 0 ? ret : AVERROR(EINVAL));
    s.outputContext.reset(rawOutput);
    s.temporaryPath = temporaryPathFor(QString::fromUtf8(s.outputPath));
    if (!(s.outputContext->oformat->flags & AVFMT_NOFILE)) {
        // The folder's own answer (permission denied, read-only, missing, full) is the report.
        ret = avio_open(&s.outputContext->pb, s.temporaryPath.constData(), AVIO_FLAG_WRITE);
        if (ret < 0) {
            s.temporaryPath.clear();
            s.folderAtFault = true;
            return s.fail(QT_TR_NOOP("Create output file failed"), ret);
        }
    }

    // Video codec: H.264 for AVI and FLV, MPEG-4 Part 2 for WMV, VP8 for WebM, else the default.
    const AVOutputFormat *guessed = av_guess_format(nullptr, s.outputPath.constData(), nullptr);
    AVCodecID codecId;
    if (extensionsContain(guessed, "avi") || extensionsContain(guessed, "flv"))
        codecId = AV_CODEC_ID_H264;
    else if (extensionsContain(guessed, "wmv"))
        codecId = AV_CODEC_ID_MPEG4;
    else if (extensionsContain(guessed, "webm"))
        codecId = AV_CODEC_ID_VP8;
    else
        codecId = av_guess_codec(s.outputContext->oformat, nullptr, s.outputPath.constData(),
                                 nullptr, AVMEDIA_TYPE_VIDEO);

    av::Dict options;
    if (codecId == AV_CODEC_ID_H264) {
        av_dict_set(&options.raw, "tune", "zerolatency", 0);
        av_dict_set(&options.raw, "preset", "veryfast", 0);
    } else if (codecId == AV_CODEC_ID_VP8) {
        // libvpx's advice for an encode in bounded time: the "good" deadline at a fast speed,
        // a thread per core with the frame split so they have work, and constrained quality
        // (a quality target under a ceiling) instead of its 256 kbit/s default, which leaves
        // 1080-line pictures soft.
        av_dict_set(&options.raw, "deadline", "good", 0);
        av_dict_set(&options.raw, "cpu-used", "4", 0);
        if (job.videoBitRate <= 0) // a chosen rate is kept as the rate
            av_dict_set(&options.raw, "crf", "10", 0);
        av_dict_set_int(&options.raw, "threads", std::clamp(av_cpu_count(), 1, 8), 0);
        av_dict_set(&options.raw, "slices", "4", 0);
    }
    const AVCodec *codec = avcodec_find_encoder(codecId);
    const bool gif = codecId == AV_CODEC_ID_GIF;
    const AVPixelFormat pixelFormat = gif                          ? AV_PIX_FMT_PAL8
                                      : (codec && codec->pix_fmts) ? codec->pix_fmts[0]
                                                                   : AV_PIX_FMT_NONE;
    int fps = job.frameRate.den > 0 ? job.frameRate.num / job.frameRate.den : 0;
    if (gif)
        fps = gifFrameRate(fps);

    auto streamFailed = [&s] {
        return s.fail(QT_TR_NOOP("Create output video stream failed"), AVERROR(EINVAL));
    };
    if (!codec || fps <= 0 || job.width <= 0 || job.height <= 0)
        return streamFailed();
    s.videoEncoder.reset(avcodec_alloc_context3(codec));
    if (!s.videoEncoder)
        return streamFailed();
    {
        AVCodecParameters *par = avcodec_parameters_alloc();
        if (!par)
            return streamFailed();
        par->codec_type = AVMEDIA_TYPE_VIDEO;
        par->codec_id = codecId;
        par->width = job.width;
        par->height = job.height;
        par->format = pixelFormat;
        par->bit_rate = job.videoBitRate;
        // VP8's quality target needs a ceiling: without a chosen rate, one that grows with the
        // frame size and rate (0.1 bit a pixel: about 6 Mbit/s at 1080p 30 fps).
        if (codecId == AV_CODEC_ID_VP8 && par->bit_rate <= 0 && job.frameRate.den > 0)
            par->bit_rate = int64_t(job.width) * job.height * job.frameRate.num /
                            job.frameRate.den / kVp8PixelsPerBit;
        par->sample_aspect_ratio = {0, 1};
        const int r = avcodec_parameters_to_context(s.videoEncoder.get(), par);
        avcodec_parameters_free(&par);
        if (r < 0)
            return streamFailed();
    }
    if (s.outputContext->oformat->flags & AVFMT_GLOBALHEADER)
        s.videoEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // MPEG-4 Part 2 (WMV) without a chosen rate: a fixed quantiser instead of the encoder's
    // 200 kbit/s default, which blurs detailed pictures; its slices run on every core.
    if (codecId == AV_CODEC_ID_MPEG4 && job.videoBitRate <= 0) {
        s.videoEncoder->flags |= AV_CODEC_FLAG_QSCALE;
        s.videoEncoder->global_quality = kMpeg4Quantiser * FF_QP2LAMBDA;
        s.frameQuality = s.videoEncoder->global_quality; // read from each frame
        s.videoEncoder->thread_count = std::clamp(av_cpu_count(), 1, 8);
    }
    // A keyframe about every 10 s, as the other formats have them, instead of every 12 frames.
    if (codecId == AV_CODEC_ID_MPEG4)
        s.videoEncoder->gop_size = kKeyframeSeconds * fps;
    s.videoEncoder->time_base = {1, fps};
    s.videoEncoder->framerate = {fps, 1};
    if (avcodec_open2(s.videoEncoder.get(), codec, &options.raw) < 0)
        return streamFailed();
    s.videoStream = avformat_new_stream(s.outputContext.get(), nullptr);
    if (!s.videoStream)
        return streamFailed();
    s.videoStream->avg_frame_rate = {fps, 1};
    s.videoStream->r_frame_rate = {fps, 1};
    s.videoStream->time_base = s.videoEncoder->time_base;
    if (avcodec_parameters_from_context(s.videoStream->codecpar, s.videoEncoder.get()) < 0)
        return streamFailed();

    s.encoderTimeBase = s.videoEncoder->time_base;
    s.encoderFrameRate = s.videoEncoder->framerate;
    s.encoderPixelFormat = s.videoEncoder->pix_fmt;
    if (gif) // drawn in full colour (planar, as the transitions take it); the palette comes last
        s.encoderPixelFormat = AV_PIX_FMT_GBRP;
    s.outputWidth = s.videoEncoder->width;
    s.outputHeight = s.videoEncoder->height;
    s.totalTicks = av_rescale_q(job.totalDuration, job.totalTimeBase, s.encoderTimeBase);
    // Exactly the frames the loop emits, picture by picture and slot by slot.
    s.totalFrames = job.videoFrameCount(s.encoderFrameRate);
    totalFrames.store(s.totalFrames);

    // Watermark, laid over every output frame.
    const bool textMark = job.watermarkType == WatermarkText && !job.watermarkText.isEmpty();
    const bool pictureMark =
        job.watermarkType == WatermarkPicture && !job.watermarkImagePath.isEmpty();
    if (textMark || pictureMark) {
        if (textMark) {
            s.watermarkFrame =
                makeTextWatermarkFrame(job.watermarkText, job.watermarkFont, job.watermarkColor,
                                       job.watermarkEffect, QSize(s.outputWidth, s.outputHeight));
            if (!s.watermarkFrame)
                return AVERROR(ENOMEM);
        } else {
            s.watermarkFrame = av::makeFrame();
            if (!s.watermarkFrame)
                return AVERROR(ENOMEM);
            const int r = makePictureWatermarkFrame(job.watermarkImagePath, s.outputWidth,
                                                    s.outputHeight, s.watermarkFrame.get());
            if (r < 0)
                return r;
        }
        const QPoint at = watermarkPlacement(job.watermarkPosition, s.outputWidth, s.outputHeight,
                                             s.watermarkFrame->width, s.watermarkFrame->height);
        if (!s.watermark.create(s.watermarkFrame.get(), at, s.outputWidth, s.outputHeight,
                                s.encoderPixelFormat, s.videoEncoder->sample_aspect_ratio))
            return s.fail(QT_TR_NOOP("Create watermark filter failed"), AVERROR(EINVAL));
    }

    if (gif) {
        const int r = setUpGifPalette(s);
        if (r < 0)
            return r;
    }

    const bool bMusic = job.musicType == MusicCustom && !s.musicInputPath.isEmpty();
    // GIF carries no sound, and M4V is written without it: there the clips play silent.
    const bool bSilentFormat = gif || s.outputPath.toLower().endsWith(".m4v");
    if (bMusic || (job.clipsHaveSound() && !bSilentFormat)) {
        const int r = setUpAudioTrack(s, bMusic ? s.musicInputPath : QByteArray(), job.audioBitRate,
                                      job.sampleRate);
        if (r < 0)
            return r;
    }

    av::Dict muxerOptions;
    if (gif) {
        // Each delay is the frame's time on the 1/100 s grid (the packets' times, rounded, so
        // uneven delays add up exactly); the last frame's is the rest of the album's length.
        const int64_t end = av_rescale_q(s.totalFrames, s.encoderTimeBase, {1, 100});
        const int64_t last = av_rescale_q(s.totalFrames - 1, s.encoderTimeBase, {1, 100});
        av_dict_set_int(&muxerOptions.raw, "final_delay", std::max<int64_t>(1, end - last), 0);
    }
    const int r = avformat_write_header(s.outputContext.get(), &muxerOptions.raw);
    if (r < 0)
        return s.fail(QT_TR_NOOP("Write file header failed"), r);
    return 0;
}

int MediaEncoder::setUpGifPalette(ExportState &s)
{
    // The pictures as they will be shown (look, fill, caption, watermark), the moving ones at
    // their first frame; transitions only mix their colours.
    const Album &job = *s.album;
    s.gifPalette = std::make_unique<GifPalette>();
    s.paletteFrame = av::makeFrame();
    av::FramePtr sample = av::makeFrame();
    if (!s.paletteFrame || !sample)
        return AVERROR(ENOMEM);
    const int count = job.materialOrder.size();
    const int samples = std::min(count, kGifPaletteSamples);
    for (int k = 0; k < samples; ++k) {
        if (!running.load())
            return interrupt(s);
        const int index = int(int64_t(k) * count / samples);
        PreparedPicture p =
            preparePictureFor(job.materialOrder.at(index), s.outputWidth, s.outputHeight,
                              s.encoderPixelFormat, resolveLook(job, index));
        if (p.code < 0)
            return s.fail(p.message, p.code);
        int ret = 0;
        if (p.frames) {
            ret = p.frames->render(0, 1, sample.get());
            if (ret >= 0)
                ret = convertPixelFormat(sample.get(), sample.get(), s.encoderPixelFormat);
        } else {
            av_frame_unref(sample.get());
            av_frame_move_ref(sample.get(), p.frame.get());
        }
        if (ret >= 0)
            ret = s.watermark.apply(sample.get());
        if (ret >= 0)
            ret = s.gifPalette->addSample(sample.get());
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Image format conversion failed"), ret);
    }
    const int ret = s.gifPalette->finish();
    return ret < 0 ? s.fail(QT_TR_NOOP("Image format conversion failed"), ret) : 0;
}

void MediaEncoder::reportProgress(ExportState &s)
{
    ++s.framesDone;
    framesDone.store(s.framesDone);
    const int percent =
        s.totalFrames > 0 ? int(double(s.framesDone) / double(s.totalFrames) * 100) : 0;
    emit sig_exportProgress(percent);
}

int MediaEncoder::emitVideoFrame(ExportState &s, AVFrame *frame, const char *encodeMessage,
                                 bool bRepeat)
{
    frame->pts = s.videoPts++;
    if (s.frameQuality > 0)
        frame->quality = s.frameQuality;
    if (frameObserver)
        frameObserver(frame);
    AVFrame *encoded = frame;
    if (s.gifPalette) {
        if (!bRepeat || s.paletteFrame->width <= 0) {
            const int ret = s.gifPalette->map(frame, s.paletteFrame.get());
            if (ret < 0)
                return s.fail(QT_TR_NOOP("Image format conversion failed"), ret);
        }
        s.paletteFrame->pts = frame->pts;
        encoded = s.paletteFrame.get();
    }
    int ret = avcodec_send_frame(s.videoEncoder.get(), encoded);
    if (ret < 0 && ret != AVERROR_EOF)
        return s.fail(encodeMessage, ret);
    ret = avcodec_receive_packet(s.videoEncoder.get(), s.videoPacket.get());
    const bool gotPacket = ret >= 0;
    if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
        return s.fail(encodeMessage, ret);
    reportProgress(s);
    if (gotPacket) {
        ret = writePacket(s, s.videoPacket.get(), s.videoStream, s.encoderTimeBase);
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Write video packet failed"), ret);
    }
    return audioStep(s);
}

int MediaEncoder::encodeStills(ExportState &s, int index)
{
    const Album &job = *s.album;
    const QString &szPath = job.materialOrder.at(index);
    if (!s.currentFrames && (s.currentFrame->width <= 0 || s.currentFrame->height <= 0)) {
        // After a cut the picture was prepared meanwhile, as for a transition.
        PreparedPicture p = s.prefetch.valid() && s.prefetchPath == szPath
                                ? s.prefetch.get()
                                : preparePictureFor(szPath, s.outputWidth, s.outputHeight,
                                                    s.encoderPixelFormat, resolveLook(job, index));
        if (p.code < 0)
            return s.fail(p.message, p.code);
        av_frame_unref(s.currentFrame.get());
        if (p.frame)
            av_frame_move_ref(s.currentFrame.get(), p.frame.get());
        s.currentFrames = std::move(p.frames);
    }
    // The next picture is decoded and letterboxed meanwhile, for the transition that follows.
    if (index + 1 < job.materialOrder.size()) {
        s.prefetchPath = job.materialOrder.at(index + 1);
        try {
            s.prefetch =
                std::async(std::launch::async, preparePictureFor, s.prefetchPath, s.outputWidth,
                           s.outputHeight, s.encoderPixelFormat, resolveLook(job, index + 1));
        } catch (const std::system_error &) {
            // No thread to be had: the transition prepares the picture on this thread instead.
            s.prefetch = std::future<PreparedPicture>();
        }
    }

    int ret = 0;
    if (!s.currentFrames) {
        av_frame_unref(s.encodeFrame.get());
        ret = av_frame_ref(s.encodeFrame.get(), s.currentFrame.get());
        if (ret >= 0)
            ret = s.watermark.apply(s.encodeFrame.get());
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Add watermark failed"), ret);
    }

    const int64_t n = job.pictureFrameCount(index, s.encoderFrameRate);
    const PictureLife life = pictureLife(job, index, s.encoderFrameRate);
    s.encodeFrame->pict_type = AV_PICTURE_TYPE_NONE;
    const bool transitionFollows =
        index + 1 < job.materialOrder.size() && job.slotFrameCount(index, s.encoderFrameRate) > 0;
    for (int64_t i = 0; i < n; ++i) {
        if (!running.load())
            return interrupt(s);
        if (s.currentFrames) {
            ret = s.currentFrames->render(life.before + i, life.frames(), s.encodeFrame.get());
            if (ret < 0)
                return s.fail(QT_TR_NOOP("Image zoom failed"), ret);
            ret =
                convertPixelFormat(s.encodeFrame.get(), s.encodeFrame.get(), s.encoderPixelFormat);
            if (ret < 0)
                return s.fail(QT_TR_NOOP("Image format conversion failed"), ret);
            ret = s.watermark.apply(s.encodeFrame.get());
            if (ret < 0)
                return s.fail(QT_TR_NOOP("Add watermark failed"), ret);
            s.encodeFrame->pict_type = AV_PICTURE_TYPE_NONE;
        }
        ret = emitVideoFrame(s, s.encodeFrame.get(), QT_TR_NOOP("Encode video frame failed"),
                             !s.currentFrames && i > 0);
        if (ret < 0)
            return ret;
        // Still frames leave the processor half idle: the transition that follows starts
        // rendering as soon as the next picture is ready. Its outcome, failure included, is
        // only reported when the transition's turn comes. A clip is read where it plays until
        // then: its transition drawn early would read it at two places, seeking back and forth.
        if (transitionFollows && s.transition.slotIndex != index &&
            !(s.currentFrames && s.currentFrames->sequential()) && s.prefetch.valid() &&
            s.prefetch.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            startTransition(s, job.materialOrder.at(index + 1), index);
    }
    av_frame_unref(s.encodeFrame.get());
    return 0;
}

void MediaEncoder::startTransition(ExportState &s, const QString &szNextPath, int slotIndex)
{
    const Album &job = *s.album;
    PendingTransition &t = s.transition;
    t = PendingTransition();
    t.slotIndex = slotIndex;
    auto failed = [&t](const char *message, int code) {
        t.message = message;
        t.code = code;
    };

    PreparedPicture next;
    if (s.prefetch.valid() && s.prefetchPath == szNextPath)
        next = s.prefetch.get();
    else
        next = preparePictureFor(szNextPath, s.outputWidth, s.outputHeight, s.encoderPixelFormat,
                                 resolveLook(job, slotIndex + 1));
    if (next.code < 0)
        return failed(next.message, next.code);
    av_frame_unref(s.nextFrame.get());
    if (next.frame)
        av_frame_move_ref(s.nextFrame.get(), next.frame.get());
    s.nextFrames = std::move(next.frames);

    const TransitionKind *kind = job.slotKind(slotIndex);
    if (!kind)
        return failed(QT_TR_NOOP("Create transition filter failed"), AVERROR(EINVAL));
    t.frameCount = job.slotFrameCount(slotIndex, s.encoderFrameRate);
    const PictureLife fromLife = pictureLife(job, slotIndex, s.encoderFrameRate);
    const PictureLife toLife = pictureLife(job, slotIndex + 1, s.encoderFrameRate);
    // 4:2:0 video gets the transition drawn on its own pictures, as the preview has it.
    std::unique_ptr<YuvTransition> drawing =
        s.encoderPixelFormat == AV_PIX_FMT_YUV420P
            ? YuvTransition::create(kind->transitionName, s.outputWidth, s.outputHeight)
            : nullptr;
    if (drawing) {
        const TransitionRenderer::Side fromSide{s.currentFrame.get(), s.currentFrames,
                                                fromLife.before + fromLife.alone,
                                                fromLife.frames()};
        const TransitionRenderer::Side toSide{s.nextFrame.get(), s.nextFrames, 0, toLife.frames()};
        const int64_t steps =
            av_rescale_q(job.slotDuration(slotIndex), AV_TIME_BASE_Q, s.encoderTimeBase);
        t.renderer = std::make_unique<TransitionRenderer>(
            std::move(drawing), fromSide, toSide, 0, steps, t.frameCount, kTransitionLookahead);
        return;
    }
    const QString desc =
        QStringLiteral("[in1][in2]%1=transition=%2:offset=0:duration=%3")
            .arg(QString::fromUtf8(kind->filterName), QString::fromUtf8(kind->transitionName),
                 secondsText(job.slotDuration(slotIndex)));
    // The xfade filter works on full-chroma pictures: fed 4:2:0 it would up-sample both stills
    // again for every frame. They are up-sampled once here, by the same kind of scaler the graph
    // would insert, so the frames are the same and the per-frame cost goes.
    const AVPixelFormat transitionFormat =
        s.encoderPixelFormat == AV_PIX_FMT_YUV420P ? AV_PIX_FMT_YUV444P : s.encoderPixelFormat;
    av::FramePtr from = av::makeFrame();
    av::FramePtr to = av::makeFrame();
    if (!from || !to)
        return failed(nullptr, AVERROR(ENOMEM));
    int ret = 0;
    if (!s.currentFrames)
        ret = convertWithGraph(s.currentFrame.get(), from.get(), transitionFormat);
    if (ret >= 0 && !s.nextFrames)
        ret = convertWithGraph(s.nextFrame.get(), to.get(), transitionFormat);
    if (ret < 0)
        return failed(QT_TR_NOOP("Add frame to transition filter failed"), ret);
    // A moving picture goes on moving through the transition: its frames are drawn per step,
    // in 4:2:0, and the graph brings them to the filter's format.
    TransitionRenderer::Side fromSide{from.get(), s.currentFrames, fromLife.before + fromLife.alone,
                                      fromLife.frames()};
    TransitionRenderer::Side toSide{to.get(), s.nextFrames, 0, toLife.frames()};

    SourcePadSpec in1;
    in1.format = s.currentFrames ? AV_PIX_FMT_YUV420P : transitionFormat;
    in1.width = s.outputWidth;
    in1.height = s.outputHeight;
    in1.timeBase = s.encoderTimeBase;
    in1.frameRate = s.encoderFrameRate;
    in1.pixelAspect = {0, 1};
    in1.label = QStringLiteral("in1");
    SourcePadSpec in2 = in1;
    in2.label = QStringLiteral("in2");
    in2.format = s.nextFrames ? AV_PIX_FMT_YUV420P : transitionFormat;
    av::FilterGraphPtr graph = createFilterGraph(
        desc, {in1, in2}, {SinkPadSpec{s.encoderPixelFormat, QStringLiteral("out"), 0}});
    if (!graph)
        return failed(QT_TR_NOOP("Create transition filter failed"), AVERROR(EINVAL));
    // The filter renders a few frames ahead on its own thread while the encoder works; frames,
    // their order and the failure of any step reach the encoder exactly as if rendered there.
    t.renderer = std::make_unique<TransitionRenderer>(std::move(graph), fromSide, toSide,
                                                      t.frameCount, kTransitionLookahead);
}

int MediaEncoder::encodeTransition(ExportState &s, const QString &szNextPath, int slotIndex)
{
    // Whatever happens, the next picture becomes the current one, so it is not decoded twice.
    struct Advance
    {
        ExportState &s;
        ~Advance()
        {
            s.transition = PendingTransition();
            av_frame_unref(s.currentFrame.get());
            av_frame_move_ref(s.currentFrame.get(), s.nextFrame.get());
            s.currentFrame->pts = 0;
            s.currentFrames = std::move(s.nextFrames);
        }
    } advance{s};

    // Usually started during the current picture's still frames already.
    if (s.transition.slotIndex != slotIndex)
        startTransition(s, szNextPath, slotIndex);
    PendingTransition &t = s.transition;
    if (t.code < 0)
        return s.fail(t.message, t.code);

    for (int64_t i = 0; i < t.frameCount; ++i) {
        if (!running.load())
            return interrupt(s);
        TransitionRenderer::Item item = t.renderer->next();
        if (item.code < 0)
            return s.fail(item.message, item.code);
        av_frame_unref(s.encodeFrame.get());
        av_frame_move_ref(s.encodeFrame.get(), item.frame.get());
        s.encodeFrame->pts = 0;
        int ret = s.watermark.apply(s.encodeFrame.get());
        if (ret < 0)
            return s.fail(QT_TR_NOOP("Add watermark failed"), ret);
        s.encodeFrame->pict_type = AV_PICTURE_TYPE_NONE;
        ret = emitVideoFrame(s, s.encodeFrame.get(), QT_TR_NOOP("Encode video frame failed"));
        if (ret < 0)
            return ret;
    }
    return 0;
}
