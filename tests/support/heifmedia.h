// HEIC and AVIF test pictures made at test time with libheif's encoders (x265, aom).
#pragma once

#include <libheif/heif.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <tuple>

namespace heifmedia {

struct Picture
{
    heif_compression_format format = heif_compression_HEVC;
    // Written as irot/imir boxes: the picture as given is what is stored.
    heif_orientation orientation = heif_orientation_normal;
    int exifOrientation = 0; // an EXIF block with this Orientation tag, 0 for none
    int bitDepth = 8;        // 8, or 10 (stored as 4:2:0 YCbCr with 10 bits)
    bool alpha = false;
    // A thumbnail of this picture (or of `thumbnailImage` when it is not null) fitted into this
    // square, 0 for none.
    int thumbnailBox = 0;
    QImage thumbnailImage;
    int quality = 85;
};

enum class Written
{
    Ok,
    NoEncoder, // this libheif has no encoder for the format
    Failed
};

namespace detail {
struct ContextDeleter
{
    void operator()(heif_context *p) const { heif_context_free(p); }
};
struct EncoderDeleter
{
    void operator()(heif_encoder *p) const { heif_encoder_release(p); }
};
struct ImageDeleter
{
    void operator()(heif_image *p) const { heif_image_release(p); }
};
struct HandleDeleter
{
    void operator()(heif_image_handle *p) const { heif_image_handle_release(p); }
};
struct OptionsDeleter
{
    void operator()(heif_encoding_options *p) const { heif_encoding_options_free(p); }
};

inline std::unique_ptr<heif_image, ImageDeleter> toHeifImage(const QImage &source, int bitDepth,
                                                             bool alpha)
{
    const QImage img =
        source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int w = img.width(), h = img.height();
    heif_image *raw = nullptr;
    if (bitDepth == 8) {
        if (heif_image_create(w, h, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                              &raw)
                .code != heif_error_Ok)
            return nullptr;
        std::unique_ptr<heif_image, ImageDeleter> image(raw);
        if (heif_image_add_plane(raw, heif_channel_interleaved, w, h, 8).code != heif_error_Ok)
            return nullptr;
        int stride = 0;
        uint8_t *p = heif_image_get_plane(raw, heif_channel_interleaved, &stride);
        const int row = w * (alpha ? 4 : 3);
        for (int y = 0; y < h; ++y)
            memcpy(p + y * stride, img.constScanLine(y), size_t(row));
        return image;
    }
    // Full-range BT.601 4:2:0, with `bitDepth` bits a sample.
    if (heif_image_create(w, h, heif_colorspace_YCbCr, heif_chroma_420, &raw).code != heif_error_Ok)
        return nullptr;
    std::unique_ptr<heif_image, ImageDeleter> image(raw);
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    for (auto [channel, pw, ph] :
         {std::tuple{heif_channel_Y, w, h}, std::tuple{heif_channel_Cb, cw, ch},
          std::tuple{heif_channel_Cr, cw, ch}})
        if (heif_image_add_plane(raw, channel, pw, ph, bitDepth).code != heif_error_Ok)
            return nullptr;
    const double scale = double((1 << bitDepth) - 1) / 255.0;
    const int mid = 1 << (bitDepth - 1);
    int sy = 0, su = 0, sv = 0;
    auto *py = reinterpret_cast<uint16_t *>(heif_image_get_plane(raw, heif_channel_Y, &sy));
    auto *pu = reinterpret_cast<uint16_t *>(heif_image_get_plane(raw, heif_channel_Cb, &su));
    auto *pv = reinterpret_cast<uint16_t *>(heif_image_get_plane(raw, heif_channel_Cr, &sv));
    auto clampTo = [bitDepth](double v) {
        return uint16_t(std::clamp(int(std::lround(v)), 0, (1 << bitDepth) - 1));
    };
    for (int y = 0; y < h; ++y) {
        const uchar *s = img.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const double r = s[3 * x], g = s[3 * x + 1], b = s[3 * x + 2];
            py[y * (sy / 2) + x] = clampTo((0.299 * r + 0.587 * g + 0.114 * b) * scale);
            if (x % 2 == 0 && y % 2 == 0) {
                pu[(y / 2) * (su / 2) + x / 2] =
                    clampTo((-0.168736 * r - 0.331264 * g + 0.5 * b) * scale + mid);
                pv[(y / 2) * (sv / 2) + x / 2] =
                    clampTo((0.5 * r - 0.418688 * g - 0.081312 * b) * scale + mid);
            }
        }
    }
    heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
    if (nclx) {
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        heif_image_set_nclx_color_profile(raw, nclx);
        heif_nclx_color_profile_free(nclx);
    }
    return image;
}

// A TIFF block with one IFD0 entry, Orientation, as libheif's EXIF items carry it.
inline QByteArray exifWithOrientation(int orientation)
{
    QByteArray tiff("MM\x00\x2a\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray("\x00\x00\x00\x00\x00\x00", 6);
    return QByteArray("Exif\x00\x00", 6) + tiff;
}
} // namespace detail

// Writes `image` as a HEIF file; `error` receives libheif's words when it fails.
inline Written write(const QString &path, const QImage &image, const Picture &p,
                     QString *error = nullptr)
{
    using namespace detail;
    auto failed = [error](const heif_error &err) {
        if (error)
            *error = QString::fromUtf8(err.message);
        return Written::Failed;
    };
    std::unique_ptr<heif_context, ContextDeleter> ctx(heif_context_alloc());
    heif_encoder *rawEncoder = nullptr;
    if (!heif_have_encoder_for_format(p.format) ||
        heif_context_get_encoder_for_format(ctx.get(), p.format, &rawEncoder).code != heif_error_Ok)
        return Written::NoEncoder;
    std::unique_ptr<heif_encoder, EncoderDeleter> encoder(rawEncoder);
    heif_encoder_set_lossy_quality(rawEncoder, p.quality);
    // The AV1 encoder's default speed takes seconds for a small picture.
    if (p.format == heif_compression_AV1)
        heif_encoder_set_parameter_integer(rawEncoder, "speed", 8);
    auto img = toHeifImage(image, p.bitDepth, p.alpha);
    if (!img)
        return failed({heif_error_Usage_error, heif_suberror_Unspecified, "cannot make the image"});
    std::unique_ptr<heif_encoding_options, OptionsDeleter> options(heif_encoding_options_alloc());
    options->image_orientation = p.orientation;
    heif_image_handle *rawHandle = nullptr;
    heif_error err =
        heif_context_encode_image(ctx.get(), img.get(), rawEncoder, options.get(), &rawHandle);
    if (err.code != heif_error_Ok)
        return failed(err);
    std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    if (p.thumbnailBox > 0) {
        std::unique_ptr<heif_image, ImageDeleter> thumbSource;
        if (!p.thumbnailImage.isNull())
            thumbSource = toHeifImage(p.thumbnailImage, 8, p.alpha);
        heif_image_handle *rawThumb = nullptr;
        err = heif_context_encode_thumbnail(ctx.get(), thumbSource ? thumbSource.get() : img.get(),
                                            handle.get(), rawEncoder, options.get(), p.thumbnailBox,
                                            &rawThumb);
        if (err.code != heif_error_Ok)
            return failed(err);
        heif_image_handle_release(rawThumb);
    }
    if (p.exifOrientation > 0) {
        const QByteArray exif = exifWithOrientation(p.exifOrientation);
        err = heif_context_add_exif_metadata(ctx.get(), handle.get(), exif.constData(),
                                             int(exif.size()));
        if (err.code != heif_error_Ok)
            return failed(err);
    }
    err = heif_context_write_to_file(ctx.get(), QFile::encodeName(path).constData());
    if (err.code != heif_error_Ok)
        return failed(err);
    return Written::Ok;
}

} // namespace heifmedia
