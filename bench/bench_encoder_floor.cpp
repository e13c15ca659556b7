// The encoder's floor: the frames of a slideshow, prepared in memory beforehand, encoded by
// libx264 with the exporter's settings and muxed to MP4. Only the encode + mux is timed: it
// prints its wall seconds, the frame count and its CPU seconds.
//
// usage: bench_encoder_floor OUT.mp4 FPS HEIGHT SECONDS SEED PICTURE...
// VM_FLOOR_TUNE=none encodes with x264's default tuning instead of zerolatency (B-frames,
// lookahead, frame threads); VM_FLOOR_CRF=N sets the quality; VM_FLOOR_QUALITY=1 has x264 print
// its PSNR and SSIM.
#include "album.h"
#include "framegraph.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

int die(const char *what, int code)
{
    char buf[64];
    av_strerror(code, buf, sizeof buf);
    std::fprintf(stderr, "bench_encoder_floor: %s: %s\n", what, buf);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    if (argc < 7) {
        std::fprintf(stderr, "usage: %s OUT.mp4 FPS HEIGHT SECONDS SEED PICTURE...\n", argv[0]);
        return 2;
    }
    const char *out = argv[1];
    const int fps = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int seconds = std::atoi(argv[4]);
    TransitionPicker::reset(std::atoi(argv[5]));
    const int width = Album::widthFor(height, 16, 9);

    // Prepare every distinct frame: the letterboxed stills and each transition's frames.
    std::vector<av::FramePtr> stills;
    for (int i = 6; i < argc; ++i) {
        av::FramePtr f = av::makeFrame();
        int ret = decodePictureFile(QString::fromLocal8Bit(argv[i]), f.get());
        if (ret >= 0)
            ret = preparePicture(f.get(), width, height, AV_PIX_FMT_YUV420P);
        if (ret < 0)
            return die("prepare", ret);
        stills.push_back(std::move(f));
    }
    struct Shot
    {
        AVFrame *frame;
        int repeat;
    };
    std::vector<av::FramePtr> transitionFrames;
    std::vector<Shot> sequence;
    const int stillFrames = seconds * fps;
    const int transitionLength = 2 * fps;
    for (size_t i = 0; i < stills.size(); ++i) {
        sequence.push_back({stills[i].get(), stillFrames});
        if (i + 1 == stills.size())
            break;
        const TransitionKind *kind = TransitionPicker::next();
        SourcePadSpec in1;
        in1.format = AV_PIX_FMT_YUV420P;
        in1.width = width;
        in1.height = height;
        in1.timeBase = {1, fps};
        in1.frameRate = {fps, 1};
        in1.label = QStringLiteral("in1");
        SourcePadSpec in2 = in1;
        in2.label = QStringLiteral("in2");
        av::FilterGraphPtr g = createFilterGraph(
            QStringLiteral("[in1][in2]xfade=transition=%1:offset=0:duration=2")
                .arg(QString::fromUtf8(kind->transitionName)),
            {in1, in2}, {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}});
        if (!g)
            return die("transition graph", AVERROR(EINVAL));
        for (int k = 0; k < transitionLength; ++k) {
            stills[i]->pts = k;
            stills[i + 1]->pts = k;
            av::FramePtr f = av::makeFrame();
            sendFrameToGraph(g.get(), QStringLiteral("in1"), stills[i].get());
            sendFrameToGraph(g.get(), QStringLiteral("in2"), stills[i + 1].get());
            bool got = false;
            receiveFrameFromGraph(g.get(), QStringLiteral("out"), f.get(), &got);
            if (!got)
                return die("transition frame", AVERROR(EAGAIN));
            sequence.push_back({f.get(), 1});
            transitionFrames.push_back(std::move(f));
        }
    }

    // CPU of the encode and mux alone, all threads, beside their wall time.
    const auto cpuSeconds = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    AVFormatContext *raw = nullptr;
    avformat_alloc_output_context2(&raw, nullptr, nullptr, out);
    av::OutputContextPtr mux(raw);
    if (!mux || avio_open(&mux->pb, out, AVIO_FLAG_WRITE) < 0)
        return die("output", AVERROR(EINVAL));
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    av::CodecContextPtr enc(avcodec_alloc_context3(codec));
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = {1, fps};
    enc->framerate = {fps, 1};
    enc->sample_aspect_ratio = {0, 1};
    if (mux->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av::Dict opts;
    const QByteArray tune = qgetenv("VM_FLOOR_TUNE");
    if (tune != "none")
        av_dict_set(&opts.raw, "tune", tune.isEmpty() ? "zerolatency" : tune.constData(), 0);
    av_dict_set(&opts.raw, "preset", "veryfast", 0);
    if (qEnvironmentVariableIsSet("VM_FLOOR_CRF"))
        av_dict_set(&opts.raw, "crf", qgetenv("VM_FLOOR_CRF").constData(), 0);
    if (qEnvironmentVariableIsSet("VM_FLOOR_QUALITY")) {
        av_dict_set(&opts.raw, "x264-params", "psnr=1:ssim=1", 0);
        av_log_set_level(AV_LOG_INFO);
    }
    int ret = avcodec_open2(enc.get(), codec, &opts.raw);
    if (ret < 0)
        return die("encoder", ret);
    AVStream *st = avformat_new_stream(mux.get(), nullptr);
    st->time_base = enc->time_base;
    st->avg_frame_rate = st->r_frame_rate = {fps, 1};
    avcodec_parameters_from_context(st->codecpar, enc.get());
    if ((ret = avformat_write_header(mux.get(), nullptr)) < 0)
        return die("header", ret);
    av::PacketPtr pkt = av::makePacket();
    auto drain = [&] {
        while (avcodec_receive_packet(enc.get(), pkt.get()) >= 0) {
            av_packet_rescale_ts(pkt.get(), enc->time_base, st->time_base);
            pkt->stream_index = st->index;
            av_interleaved_write_frame(mux.get(), pkt.get());
        }
    };
    int64_t pts = 0;
    av::FramePtr frame = av::makeFrame();
    for (const Shot &shot : sequence) {
        for (int r = 0; r < shot.repeat; ++r) {
            av_frame_ref(frame.get(), shot.frame);
            frame->pts = pts++;
            frame->pict_type = AV_PICTURE_TYPE_NONE;
            avcodec_send_frame(enc.get(), frame.get());
            av_frame_unref(frame.get());
            drain();
        }
    }
    avcodec_send_frame(enc.get(), nullptr);
    drain();
    av_write_trailer(mux.get());
    mux.reset();
    std::printf("%.3f %lld %.3f\n", timer.nsecsElapsed() / 1e9, static_cast<long long>(pts),
                cpuSeconds() - cpuBefore);
    return 0;
}
