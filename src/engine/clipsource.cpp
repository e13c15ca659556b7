// SPDX-License-Identifier: GPL-3.0-or-later
// Video clips: probing, single frames and the frames of a clip's life.
#include "clipsource.h"

#include "avlog.h"
#include "framegraph.h"
#include "pictureheader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/mathematics.h>
}

#include <QCoreApplication>

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr AVRational kMicroseconds{1, 1000000};
// Beyond this distance ahead a seek is cheaper than decoding through (microseconds).
constexpr int64_t kSeekAhead = 3000000;

// An open clip: its demuxer, its video decoder and the stream they read.
struct OpenClip
{
    av::InputContextPtr input;
    av::CodecContextPtr decoder;
    AVStream *stream = nullptr;
    bool ended = false;
};

void displayTurn(const AVStream *stream, int *rotation, bool *mirrored);
QSize uprightSize(const AVStream *stream, const AVCodecParameters *par, int rotation);

// Opens the clip's best video stream and its decoder; a negative code and the plain reason on
// failure.
// threads: the decoder's; a probe that reads one frame needs no more than one.
// draftFrame: for a draft (the preview), the frame the clip is fitted into; a decoder that can
// decode at a reduced size then does so, down to no less than the size drawn.
int openClip(const QString &szPath, OpenClip *clip, const char **reason, int threads = 2,
             QSize draftFrame = {})
{
    installEngineLogCallback();
    *reason = QT_TRANSLATE_NOOP("ClipSource", "damaged clip");
    av::Dict openOptions;
    av_dict_set(&openOptions.raw, "pattern_type", "none", 0);
    AVFormatContext *raw = nullptr;
    int ret = avformat_open_input(&raw, ffmpegPath(szPath).constData(), nullptr, &openOptions.raw);
    if (ret < 0)
        return ret;
    clip->input.reset(raw);
    if ((ret = avformat_find_stream_info(clip->input.get(), nullptr)) < 0)
        return ret;
    if (!isVideoClip(clip->input.get())) {
        *reason = QT_TRANSLATE_NOOP("ClipSource", "no picture in this file");
        return AVERROR_INVALIDDATA;
    }
    const AVCodec *codec = nullptr;
    const int index = av_find_best_stream(clip->input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || !codec) {
        *reason = QT_TRANSLATE_NOOP("ClipSource", "no picture in this file");
        return index < 0 ? index : AVERROR_DECODER_NOT_FOUND;
    }
    clip->stream = clip->input->streams[index];
    for (unsigned i = 0; i < clip->input->nb_streams; ++i)
        if (int(i) != index)
            clip->input->streams[i]->discard = AVDISCARD_ALL;
    clip->decoder.reset(avcodec_alloc_context3(codec));
    if (!clip->decoder)
        return AVERROR(ENOMEM);
    if ((ret = avcodec_parameters_to_context(clip->decoder.get(), clip->stream->codecpar)) < 0)
        return ret;
    clip->decoder->pkt_timebase = clip->stream->time_base;
    clip->decoder->thread_count = threads;
    if (draftFrame.isValid() && codec->max_lowres > 0) {
        int rotation = 0;
        bool mirrored = false;
        displayTurn(clip->stream, &rotation, &mirrored);
        const QSize upright = uprightSize(clip->stream, clip->stream->codecpar, rotation);
        const LetterboxGeometry box = letterboxGeometry(upright.width(), upright.height(),
                                                        draftFrame.width(), draftFrame.height());
        clip->decoder->lowres =
            clipLowres(codec->max_lowres, upright, QSize(box.width, box.height));
    }
    return avcodec_open2(clip->decoder.get(), codec, nullptr);
}

// The next decoded frame; AVERROR_EOF at the end.
int decodeNext(OpenClip &clip, AVFrame *frame)
{
    av::PacketPtr packet = av::makePacket();
    if (!packet)
        return AVERROR(ENOMEM);
    for (;;) {
        int ret = avcodec_receive_frame(clip.decoder.get(), frame);
        if (ret != AVERROR(EAGAIN))
            return ret;
        if (clip.ended)
            return AVERROR_EOF;
        ret = av_read_frame(clip.input.get(), packet.get());
        if (ret == AVERROR_EOF) {
            clip.ended = true;
            avcodec_send_packet(clip.decoder.get(), nullptr);
            continue;
        }
        if (ret < 0)
            return ret;
        if (packet->stream_index == clip.stream->index)
            ret = avcodec_send_packet(clip.decoder.get(), packet.get());
        av_packet_unref(packet.get());
        // A damaged packet costs its picture, not the clip.
        if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_INVALIDDATA)
            return ret;
    }
}

// Microseconds from the clip's start at which `frame` is shown.
int64_t frameTime(const OpenClip &clip, const AVFrame *frame)
{
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->pts;
    if (pts == AV_NOPTS_VALUE)
        return 0;
    const int64_t start = clip.stream->start_time != AV_NOPTS_VALUE ? clip.stream->start_time : 0;
    return av_rescale_q(pts - start, clip.stream->time_base, kMicroseconds);
}

int seekClip(OpenClip &clip, int64_t at)
{
    const int64_t start = clip.stream->start_time != AV_NOPTS_VALUE ? clip.stream->start_time : 0;
    const int64_t ts =
        start + av_rescale_q(std::max<int64_t>(0, at), kMicroseconds, clip.stream->time_base);
    const int ret = avformat_seek_file(clip.input.get(), clip.stream->index, INT64_MIN, ts, ts,
                                       AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(clip.decoder.get());
    clip.ended = false;
    return ret;
}

// Degrees clockwise that turn the stored picture upright, and whether it is mirrored.
void displayTurn(const AVStream *stream, int *rotation, bool *mirrored)
{
    *rotation = 0;
    *mirrored = false;
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!matrix)
        return;
    const auto *m = reinterpret_cast<const int32_t *>(matrix);
    const double theta = av_display_rotation_get(m);
    if (std::isnan(theta))
        return;
    int turn = int(std::lround(-theta)) % 360;
    if (turn < 0)
        turn += 360;
    *rotation = (turn + 45) / 90 % 4 * 90;
    // A negative determinant: the matrix mirrors the picture.
    *mirrored = int64_t(m[0]) * m[4] - int64_t(m[1]) * m[3] < 0;
}

bool isHdrTransfer(int trc)
{
    return trc == AVCOL_TRC_SMPTE2084 || trc == AVCOL_TRC_ARIB_STD_B67;
}

// The chain that turns a decoded frame upright, square-pixelled, SDR BT.709 video range and
// `size`, in YUV420P.
bool untaggedIsHd(const AVFrame *frame)
{
    return frame->width >= 1280 || frame->height > 576;
}

// Whether the decoded frame is already what the chain would make of it: 4:2:0 BT.709 in video
// range, upright, at the size drawn, with square pixels. A phone's 1080p clip in a 1080p album
// then goes to the encoder untouched.
bool isUprightAlready(const AVFrame *frame, int rotation, bool mirrored, QSize size)
{
    const bool bt709 = frame->colorspace == AVCOL_SPC_BT709 ||
                       (frame->colorspace == AVCOL_SPC_UNSPECIFIED && untaggedIsHd(frame));
    const AVRational sar = frame->sample_aspect_ratio;
    return frame->format == AV_PIX_FMT_YUV420P && frame->width == size.width() &&
           frame->height == size.height() && rotation == 0 && !mirrored && bt709 &&
           frame->color_range != AVCOL_RANGE_JPEG && !isHdrTransfer(frame->color_trc) &&
           (sar.num == 0 || sar.num == sar.den);
}

QString uprightChain(const AVFrame *like, int rotation, bool mirrored, QSize size)
{
    QStringList steps;
    if (isHdrTransfer(like->color_trc))
        // Tone-mapped from linear light, so that the bright highlights of HLG and PQ fold in
        // rather than wash the picture out.
        steps << QStringLiteral("zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,"
                                "tonemap=tonemap=hable:desat=0,zscale=t=bt709:m=bt709:r=tv");
    if (mirrored)
        steps << QStringLiteral("hflip");
    switch (rotation) {
    case 90:
        steps << QStringLiteral("transpose=clock");
        break;
    case 180:
        steps << QStringLiteral("hflip,vflip");
        break;
    case 270:
        steps << QStringLiteral("transpose=cclock");
        break;
    default:
        break;
    }
    // An untagged film is read as players read one: BT.709 when it is HD, else BT.601.
    const QString matrix =
        like->colorspace == AVCOL_SPC_UNSPECIFIED
            ? (untaggedIsHd(like) ? QStringLiteral(":in_color_matrix=bt709")
                                  : QStringLiteral(":in_color_matrix=bt601"))
            : QString();
    steps << QStringLiteral("scale=%1:%2:flags=bicubic%3:out_color_matrix=bt709:out_range=tv,"
                            "setsar=1,format=yuv420p")
                 .arg(QString::number(size.width()), QString::number(size.height()), matrix);
    return steps.join(QLatin1Char(','));
}

QSize uprightSize(const AVStream *stream, const AVCodecParameters *par, int rotation)
{
    AVRational sar = stream->sample_aspect_ratio.num > 0 ? stream->sample_aspect_ratio
                                                         : par->sample_aspect_ratio;
    int64_t w = par->width, h = par->height;
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
        w = av_rescale(w, sar.num, sar.den);
    if (rotation == 90 || rotation == 270)
        std::swap(w, h);
    return QSize(int(std::min<int64_t>(w, INT32_MAX)), int(std::min<int64_t>(h, INT32_MAX)));
}

} // namespace

int clipLowres(int maxLowres, QSize upright, QSize drawn)
{
    int lowres = 0;
    while (lowres < maxLowres && (upright.width() >> (lowres + 1)) >= drawn.width() &&
           (upright.height() >> (lowres + 1)) >= drawn.height())
        ++lowres;
    return lowres;
}

bool looksLikeClip(const QString &szPath)
{
    return isVideoClipFile(szPath);
}

int probeClip(const QString &szPath, ClipProbe *probe, QString *reason)
{
    OpenClip clip;
    const char *why = nullptr;
    int ret = openClip(szPath, &clip, &why, 1);
    auto refuse = [&](int code, const QString &text) {
        if (reason)
            *reason = text;
        return code;
    };
    if (ret < 0)
        return refuse(ret, QCoreApplication::translate("ClipSource", why));
    ClipProbe p;
    displayTurn(clip.stream, &p.rotation, &p.mirrored);
    const AVCodecParameters *par = clip.stream->codecpar;
    if (par->width > kMaxClipSide || par->height > kMaxClipSide)
        return refuse(AVERROR(EINVAL),
                      QCoreApplication::translate("ClipSource",
                                                  "%1 x %2 pixels; clips are taken up to %3 a side")
                          .arg(QString::number(par->width), QString::number(par->height),
                               QString::number(kMaxClipSide)));
    int64_t duration =
        clip.stream->duration != AV_NOPTS_VALUE
            ? av_rescale_q(clip.stream->duration, clip.stream->time_base, kMicroseconds)
            : clip.input->duration;
    if (duration <= 0 || duration == AV_NOPTS_VALUE)
        duration = clip.input->duration;
    if (duration > kMaxClipDuration)
        return refuse(AVERROR(EINVAL),
                      QCoreApplication::translate("ClipSource", "longer than 3 hours"));
    // A clip must give a picture: a file cut short before its first frame is damaged.
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return refuse(AVERROR(ENOMEM), QCoreApplication::translate("ClipSource", "damaged clip"));
    ret = decodeNext(clip, frame.get());
    if (ret < 0 || frame->width <= 0)
        return refuse(ret < 0 ? ret : AVERROR_INVALIDDATA,
                      QCoreApplication::translate("ClipSource", "damaged clip"));
    if (duration <= 0)
        return refuse(AVERROR_INVALIDDATA,
                      QCoreApplication::translate("ClipSource", "damaged clip"));
    p.facts.duration = duration;
    p.facts.frameRate = clip.stream->avg_frame_rate;
    for (unsigned i = 0; i < clip.input->nb_streams; ++i) {
        const AVCodecParameters *a = clip.input->streams[i]->codecpar;
        if (a->codec_type == AVMEDIA_TYPE_AUDIO && avcodec_find_decoder(a->codec_id) &&
            a->sample_rate > 0)
            p.facts.hasSound = true;
    }
    p.upright = uprightSize(clip.stream, par, p.rotation);
    p.hdr = isHdrTransfer(frame->color_trc) || isHdrTransfer(par->color_trc);
    p.codecName = QString::fromUtf8(avcodec_get_name(par->codec_id));
    if (probe)
        *probe = p;
    if (reason)
        reason->clear();
    return 0;
}

ClipFacts clipFactsOf(const QString &szPath)
{
    ClipProbe probe;
    if (readPictureHeader(szPath).known || !looksLikeClip(szPath) || probeClip(szPath, &probe) < 0)
        return {};
    return probe.facts;
}

// Decodes the clip's frames on a thread of its own, a few ahead of the one shown, so that the
// decoding of a clip overlaps the encoding of the video; the frames it holds bound its memory.
class ClipReader
{
public:
    explicit ClipReader(OpenClip &clip) : m_clip(clip) {}
    ~ClipReader()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    ClipReader(const ClipReader &) = delete;
    ClipReader &operator=(const ClipReader &) = delete;

    // Drops what is read ahead and goes on from the frame at `at` microseconds into the file.
    void seek(int64_t at)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seekTo = at;
            m_ahead.clear();
            m_ended = false;
            m_error = 0;
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_changed.notify_all();
    }
    // The next frame and its time; AVERROR_EOF after the last.
    int next(AVFrame *dst, int64_t *at)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ahead.empty() || m_ended || m_error < 0; });
        if (m_ahead.empty())
            return m_error < 0 ? m_error : AVERROR_EOF;
        *at = m_ahead.front().first;
        av_frame_move_ref(dst, m_ahead.front().second.get());
        m_ahead.pop_front();
        lock.unlock();
        m_changed.notify_all();
        return 0;
    }

private:
    static constexpr size_t kAhead = 4;

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_quit) {
            if (m_seekTo >= 0) {
                const int64_t at = m_seekTo;
                m_seekTo = -1;
                lock.unlock();
                const int ret = seekClip(m_clip, at);
                lock.lock();
                // A clip that cannot seek before its first frame has nothing to show.
                if (ret < 0 && !m_decodedAny && m_seekTo < 0)
                    m_error = ret;
                continue;
            }
            if (m_ended || m_error < 0 || m_ahead.size() >= kAhead) {
                m_changed.wait(lock);
                continue;
            }
            lock.unlock();
            av::FramePtr frame = av::makeFrame();
            const int ret = frame ? decodeNext(m_clip, frame.get()) : AVERROR(ENOMEM);
            const int64_t at = ret >= 0 ? frameTime(m_clip, frame.get()) : 0;
            lock.lock();
            if (m_seekTo >= 0)
                continue; // read before a seek asked since: not wanted
            if (ret == AVERROR_EOF) {
                m_ended = true;
            } else if (ret < 0) {
                m_error = ret;
            } else {
                m_decodedAny = true;
                m_ahead.emplace_back(at, std::move(frame));
            }
            m_changed.notify_all();
        }
    }

    OpenClip &m_clip; // used by the reading thread only, once it runs
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<int64_t, av::FramePtr>> m_ahead;
    int64_t m_seekTo = -1;
    bool m_ended = false;
    bool m_decodedAny = false;
    int m_error = 0;
    bool m_quit = false;
    std::thread m_thread;
};

struct ClipFrames::State
{
    QString path;
    int W = 0;
    int H = 0;
    ResolvedLook look;
    int rotation = 0;
    bool mirrored = false;
    QSize upright;
    LetterboxGeometry box;

    std::mutex mutex;
    OpenClip clip;
    std::unique_ptr<ClipReader> reader; // made after `clip`, gone before it
    av::FilterGraphPtr graph;           // decoded -> the letterboxed size, upright, SDR, YUV420P
    av::FramePtr decoded;               // the frame shown until `next` starts
    int64_t decodedAt = -1;             // its time; -1: none
    av::FramePtr next;                  // the frame after it, once read
    av::FramePtr backdrop;              // the fill around a clip not of the frame's shape
    int64_t nextAt = -1;
    bool atEnd = false;

    ~State() { reader.reset(); }
    // Moves to the frame shown at `at` microseconds into the file.
    int seekTo(int64_t at);
    // The letterboxed upright picture of `decoded`.
    int drawUpright(AVFrame *dst);
    // Composes the picture onto the frame with the look's fill and caption.
    int compose(AVFrame *picture, AVFrame *dst);
};

int ClipFrames::State::seekTo(int64_t at)
{
    if (decodedAt < 0 || at < decodedAt || at > decodedAt + kSeekAhead) {
        reader->seek(at);
        av_frame_unref(decoded.get());
        av_frame_unref(next.get());
        decodedAt = nextAt = -1;
        atEnd = false;
    }
    for (;;) {
        if (nextAt < 0 && !atEnd) {
            int64_t time = 0;
            const int ret = reader->next(next.get(), &time);
            if (ret == AVERROR_EOF)
                atEnd = true;
            else if (ret < 0)
                return ret;
            else
                nextAt = time;
        }
        // The last frame that started by `at`; before the first, the first.
        if (nextAt >= 0 && (nextAt <= at || decodedAt < 0)) {
            av_frame_unref(decoded.get());
            av_frame_move_ref(decoded.get(), next.get());
            decodedAt = nextAt;
            nextAt = -1;
            continue;
        }
        return decodedAt >= 0 ? 0 : AVERROR_INVALIDDATA;
    }
}

int ClipFrames::State::drawUpright(AVFrame *dst)
{
    if (isUprightAlready(decoded.get(), rotation, mirrored, QSize(box.width, box.height))) {
        const int ret = av_frame_ref(dst, decoded.get());
        dst->sample_aspect_ratio = AVRational{1, 1};
        dst->color_range = AVCOL_RANGE_MPEG;
        dst->colorspace = AVCOL_SPC_BT709;
        return ret;
    }
    if (!graph) {
        // One thread: the decoder and the encoder keep the cores busy, and a scaler cut into
        // slices beside them cost a third more CPU for a 4K clip.
        av::Dict options;
        if (av_dict_set(&options.raw, "threads", "1", 0) < 0)
            return AVERROR(ENOMEM);
        graph = createFilterGraph(
            uprightChain(decoded.get(), rotation, mirrored, QSize(box.width, box.height)),
            {videoSource(decoded.get(), QStringLiteral("in"))},
            {SinkPadSpec{AV_PIX_FMT_YUV420P, QStringLiteral("out"), 0}}, options.raw);
        if (!graph)
            return AVERROR(EINVAL);
    }
    int ret = sendFrameToGraph(graph.get(), QStringLiteral("in"), decoded.get());
    if (ret < 0)
        return ret;
    bool got = false;
    ret = receiveFrameFromGraph(graph.get(), QStringLiteral("out"), dst, &got);
    return ret < 0 ? ret : got ? 0 : AVERROR(EAGAIN);
}

int ClipFrames::State::compose(AVFrame *picture, AVFrame *dst)
{
    if (look.fill.kind == FillKind::Blur || !look.caption.isEmpty()) {
        // The picture's own drawing gives the blurred fill and the caption, frame by frame.
        ResolvedLook still = look;
        still.isClip = false;
        std::shared_ptr<const PictureFrames> frames =
            PictureFrames::create(picture, W, H, still, nullptr);
        return frames ? frames->render(0, 1, dst) : AVERROR(ENOMEM);
    }
    // A clip of the frame's shape covers it: nothing to put around it.
    if (box.width == W && box.height == H)
        return av_frame_ref(dst, picture);
    int ret = 0;
    if (!backdrop) {
        backdrop = av::makeFrame();
        const uint32_t argb = look.fill.kind == FillKind::Colour ? look.fill.colour : 0xff000000u;
        ret = backdrop ? makeColorFrame(
                             backdrop.get(), W, H, AV_PIX_FMT_YUV420P,
                             QStringLiteral("0x%1").arg(argb & 0xffffff, 6, 16, QLatin1Char('0')))
                       : AVERROR(ENOMEM);
        if (ret < 0) {
            backdrop.reset();
            return ret;
        }
    }
    if ((ret = av_frame_ref(dst, backdrop.get())) < 0 || (ret = av_frame_make_writable(dst)) < 0)
        return ret;
    for (int plane = 0; plane < 3; ++plane) {
        const int shift = plane ? 1 : 0;
        const int rows = (picture->height + shift) >> shift;
        const int bytes = (picture->width + shift) >> shift;
        uint8_t *to =
            dst->data[plane] + size_t(box.y >> shift) * dst->linesize[plane] + (box.x >> shift);
        for (int y = 0; y < rows; ++y)
            memcpy(to + size_t(y) * dst->linesize[plane],
                   picture->data[plane] + size_t(y) * picture->linesize[plane], bytes);
    }
    return 0;
}

std::shared_ptr<const ClipFrames> ClipFrames::create(const QString &szPath, int W, int H,
                                                     const ResolvedLook &look, int *error)
{
    auto fail = [error](int code) {
        if (error)
            *error = code;
        return nullptr;
    };
    if (W <= 0 || H <= 0)
        return fail(AVERROR(EINVAL));
    std::shared_ptr<ClipFrames> frames(new ClipFrames);
    frames->state = std::make_unique<State>();
    State &s = *frames->state;
    s.path = szPath;
    s.W = W;
    s.H = H;
    s.look = look;
    const char *why = nullptr;
    int ret = openClip(szPath, &s.clip, &why, 2, look.draft ? QSize(W, H) : QSize());
    if (ret < 0)
        return fail(ret);
    displayTurn(s.clip.stream, &s.rotation, &s.mirrored);
    s.upright = uprightSize(s.clip.stream, s.clip.stream->codecpar, s.rotation);
    if (s.upright.width() <= 0 || s.upright.height() <= 0)
        return fail(AVERROR_INVALIDDATA);
    s.box = letterboxGeometry(s.upright.width(), s.upright.height(), W, H);
    s.decoded = av::makeFrame();
    s.next = av::makeFrame();
    s.reader = std::make_unique<ClipReader>(s.clip);
    if (!s.decoded || !s.next)
        return fail(AVERROR(ENOMEM));
    if (error)
        *error = 0;
    return frames;
}

ClipFrames::~ClipFrames() = default;

int ClipFrames::render(int64_t step, int64_t lifeFrames, AVFrame *dst) const
{
    State &s = *state;
    std::lock_guard<std::mutex> lock(s.mutex);
    const int64_t span = std::max<int64_t>(0, s.look.clipOut - s.look.clipIn);
    const int64_t at =
        s.look.clipIn +
        (lifeFrames > 0 ? av_rescale(span, std::max<int64_t>(0, step), lifeFrames) : 0);
    int ret = s.seekTo(at);
    if (ret < 0)
        return ret;
    av::FramePtr picture = av::makeFrame();
    if (!picture)
        return AVERROR(ENOMEM);
    if ((ret = s.drawUpright(picture.get())) < 0)
        return ret;
    av_frame_unref(dst);
    return s.compose(picture.get(), dst);
}

int decodeClipFrame(const QString &szPath, int64_t at, QSize box, AVFrame *dst)
{
    ClipProbe probe;
    int ret = probeClip(szPath, &probe);
    if (ret < 0)
        return ret;
    if (!box.isValid() || box.isEmpty())
        box = probe.upright.scaled(4096, 4096, Qt::KeepAspectRatio).boundedTo(probe.upright);
    const QSize size =
        fitEvenSize(probe.upright.width(), probe.upright.height(), box.width(), box.height());
    if (size.isEmpty())
        return AVERROR(EINVAL);
    ResolvedLook look;
    look.isClip = true;
    look.draft = true;
    look.clipIn = std::clamp<int64_t>(at, 0, probe.facts.duration);
    look.clipOut = look.clipIn;
    std::shared_ptr<const ClipFrames> frames =
        ClipFrames::create(szPath, size.width(), size.height(), look, &ret);
    if (!frames)
        return ret;
    return frames->render(0, 1, dst);
}
