// SPDX-License-Identifier: GPL-3.0-or-later
// HEIC, AVIF and animated WebP decoding.
#include "heifpicture.h"

#include "avhandles.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/frame.h>
}

#include <libheif/heif.h>
#include <webp/demux.h>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct HeifContextDeleter
{
    void operator()(heif_context *p) const { heif_context_free(p); }
};
struct HeifHandleDeleter
{
    void operator()(heif_image_handle *p) const { heif_image_handle_release(p); }
};
struct HeifImageDeleter
{
    void operator()(heif_image *p) const { heif_image_release(p); }
};
struct HeifOptionsDeleter
{
    void operator()(heif_decoding_options *p) const { heif_decoding_options_free(p); }
};
struct WebpAnimDeleter
{
    void operator()(WebPAnimDecoder *p) const { WebPAnimDecoderDelete(p); }
};
using HeifContextPtr = std::unique_ptr<heif_context, HeifContextDeleter>;
using HeifHandlePtr = std::unique_ptr<heif_image_handle, HeifHandleDeleter>;
using HeifImagePtr = std::unique_ptr<heif_image, HeifImageDeleter>;
using HeifOptionsPtr = std::unique_ptr<heif_decoding_options, HeifOptionsDeleter>;
using WebpAnimPtr = std::unique_ptr<WebPAnimDecoder, WebpAnimDeleter>;

void initHeif()
{
    // Reference counted by libheif; kept for the program's life.
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

uint64_t be32(const uchar *p)
{
    return (uint64_t(p[0]) << 24) | (uint64_t(p[1]) << 16) | (uint64_t(p[2]) << 8) | p[3];
}

// Whether every top-level box ends within the file: libheif would read a cut file's items up
// to where they stop, and only fail, or show garbage, when it decodes them.
bool boxesComplete(QFile &file)
{
    const qint64 size = file.size();
    qint64 pos = 0;
    for (int guard = 0; guard < 4096 && pos < size; ++guard) {
        uchar head[16];
        if (!file.seek(pos) || file.read(reinterpret_cast<char *>(head), 8) != 8)
            return false;
        uint64_t length = be32(head);
        if (length == 1) {
            if (file.read(reinterpret_cast<char *>(head + 8), 8) != 8)
                return false;
            length = (be32(head + 8) << 32) | be32(head + 12);
            if (length < 16)
                return false;
        } else if (length == 0) {
            return true; // runs to the end of the file
        } else if (length < 8) {
            return false;
        }
        if (length > uint64_t(size - pos))
            return false;
        pos += qint64(length);
    }
    return pos == size;
}

HeifContextPtr openHeif(const QString &szPath, HeifHandlePtr *primary)
{
    initHeif();
    HeifContextPtr ctx(heif_context_alloc());
    if (!ctx)
        return nullptr;
    if (heif_context_read_from_file(ctx.get(), QFile::encodeName(szPath).constData(), nullptr)
            .code != heif_error_Ok)
        return nullptr;
    heif_image_handle *handle = nullptr;
    if (heif_context_get_primary_image_handle(ctx.get(), &handle).code != heif_error_Ok || !handle)
        return nullptr;
    primary->reset(handle);
    return ctx;
}

int errorFromHeif(const heif_error &err)
{
    if (err.code == heif_error_Memory_allocation_error)
        return AVERROR(ENOMEM);
    if (err.code == heif_error_Unsupported_feature || err.code == heif_error_Unsupported_filetype)
        return AVERROR_DECODER_NOT_FOUND;
    return AVERROR_INVALIDDATA;
}

// A thumbnail of the picture's shape (within rounding of its small side) that covers `enough`.
HeifHandlePtr fittingThumbnail(const heif_image_handle *primary, QSize enough)
{
    const int64_t w = heif_image_handle_get_width(primary);
    const int64_t h = heif_image_handle_get_height(primary);
    const int n = heif_image_handle_get_number_of_thumbnails(primary);
    if (n <= 0 || w <= 0 || h <= 0)
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<size_t>(n));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), n);
    HeifHandlePtr best;
    int64_t bestPixels = 0;
    for (heif_item_id id : ids) {
        heif_image_handle *raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &raw).code != heif_error_Ok || !raw)
            continue;
        HeifHandlePtr thumb(raw);
        const int64_t tw = heif_image_handle_get_width(raw);
        const int64_t th = heif_image_handle_get_height(raw);
        // Same shape: the thumbnail's sides agree with the picture's to within one pixel of
        // the thumbnail, so that a thumbnail stored unrotated is never shown sideways.
        const bool sameShape = std::abs(tw * h - th * w) <= std::max(w, h);
        if (tw < enough.width() || th < enough.height() || !sameShape)
            continue;
        if (!best || tw * th < bestPixels) {
            bestPixels = tw * th;
            best = std::move(thumb);
        }
    }
    return best;
}

int decodeHandle(const heif_image_handle *handle, AVFrame *dst)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    HeifOptionsPtr options(heif_decoding_options_alloc());
    if (!options)
        return AVERROR(ENOMEM);
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    heif_image *raw = nullptr;
    const heif_error err = heif_decode_image(
        handle, &raw, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    HeifImagePtr image(raw);
    if (err.code != heif_error_Ok || !image)
        return errorFromHeif(err);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0 || stride <= 0)
        return AVERROR_INVALIDDATA;
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    frame->format = alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    frame->width = width;
    frame->height = height;
    int ret = av_frame_get_buffer(frame.get(), 0);
    if (ret < 0)
        return ret;
    const size_t row = size_t(width) * (alpha ? 4 : 3);
    for (int y = 0; y < height; ++y)
        std::memcpy(frame->data[0] + size_t(y) * frame->linesize[0], plane + size_t(y) * stride,
                    row);
    frame->pts = 0;
    av_frame_unref(dst);
    av_frame_move_ref(dst, frame.get());
    return 0;
}

// The four bytes at `at` as a little-endian number.
uint32_t le32(const uchar *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace

void readHeifHeader(const QString &szPath, PictureHeader *hdr)
{
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly) || !boxesComplete(file))
        return;
    file.close();
    HeifHandlePtr primary;
    HeifContextPtr ctx = openHeif(szPath, &primary);
    if (!ctx)
        return;
    const int w = heif_image_handle_get_width(primary.get());
    const int h = heif_image_handle_get_height(primary.get());
    if (w <= 0 || h <= 0)
        return;
    hdr->known = true;
    hdr->width = w;
    hdr->height = h;
    hdr->orientation = 1;
    // What is kept is the 8-bit RGB or RGBA picture libheif gives.
    hdr->bitsPerSample = 8;
    hdr->sampleNum = heif_image_handle_has_alpha_channel(primary.get()) ? 4 : 3;
    hdr->sampleDen = 1;
}

int decodeHeifFile(const QString &szPath, AVFrame *dst, QSize thumbnailEnough)
{
    if (!dst)
        return AVERROR(EINVAL);
    {
        QFile file(szPath);
        if (!file.open(QIODevice::ReadOnly))
            return AVERROR(file.error() == QFileDevice::PermissionsError ? EACCES : ENOENT);
        if (!boxesComplete(file))
            return AVERROR_INVALIDDATA;
    }
    HeifHandlePtr primary;
    HeifContextPtr ctx = openHeif(szPath, &primary);
    if (!ctx)
        return AVERROR_INVALIDDATA;
    if (thumbnailEnough.isValid()) {
        // A thumbnail that does not decode is no reason to refuse the picture itself.
        if (HeifHandlePtr thumb = fittingThumbnail(primary.get(), thumbnailEnough))
            if (decodeHandle(thumb.get(), dst) >= 0)
                return 0;
    }
    return decodeHandle(primary.get(), dst);
}

int countWebpFrames(const QString &szPath)
{
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = file.size();
    int frames = 0;
    qint64 pos = 12; // after "RIFF", its size and "WEBP"
    for (int guard = 0; guard < 1 << 20 && pos + 8 <= size; ++guard) {
        uchar chunk[8];
        if (!file.seek(pos) || file.read(reinterpret_cast<char *>(chunk), 8) != 8)
            break;
        if (std::memcmp(chunk, "ANMF", 4) == 0)
            ++frames;
        // Chunks are padded to an even size.
        pos += 8 + ((qint64(le32(chunk + 4)) + 1) & ~qint64(1));
    }
    return frames;
}

int decodeAnimatedWebpFile(const QString &szPath, AVFrame *dst)
{
    if (!dst)
        return AVERROR(EINVAL);
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly))
        return AVERROR(file.error() == QFileDevice::PermissionsError ? EACCES : ENOENT);
    const QByteArray bytes = file.readAll();
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return AVERROR_EXTERNAL;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    WebPData data;
    data.bytes = reinterpret_cast<const uint8_t *>(bytes.constData());
    data.size = size_t(bytes.size());
    WebpAnimPtr decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder)
        return AVERROR_INVALIDDATA;
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || info.canvas_width == 0 ||
        info.canvas_height == 0)
        return AVERROR_INVALIDDATA;
    uint8_t *canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return AVERROR_INVALIDDATA;
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return AVERROR(ENOMEM);
    frame->format = AV_PIX_FMT_RGBA;
    frame->width = int(info.canvas_width);
    frame->height = int(info.canvas_height);
    const int ret = av_frame_get_buffer(frame.get(), 0);
    if (ret < 0)
        return ret;
    const size_t row = size_t(frame->width) * 4;
    for (int y = 0; y < frame->height; ++y)
        std::memcpy(frame->data[0] + size_t(y) * frame->linesize[0], canvas + size_t(y) * row, row);
    frame->pts = 0;
    av_frame_unref(dst);
    av_frame_move_ref(dst, frame.get());
    return 0;
}
