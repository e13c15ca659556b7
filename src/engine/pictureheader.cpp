// SPDX-License-Identifier: GPL-3.0-or-later
// Header parsers for the still-picture formats users import.
#include "pictureheader.h"

#include "heifpicture.h"

#include <QFile>

#include <algorithm>

#include <cstdint>
#include <cstring>

namespace {

uint32_t be16(const uchar *p)
{
    return (uint32_t(p[0]) << 8) | p[1];
}
uint32_t be32(const uchar *p)
{
    return (be16(p) << 16) | be16(p + 2);
}
uint32_t le16(const uchar *p)
{
    return (uint32_t(p[1]) << 8) | p[0];
}
uint32_t le32(const uchar *p)
{
    return (le16(p + 2) << 16) | le16(p);
}

PictureHeader sized(int64_t w, int64_t h)
{
    PictureHeader hdr;
    if (w <= 0 || h <= 0)
        return hdr;
    hdr.known = true;
    hdr.width = int(std::min<int64_t>(w, INT32_MAX));
    hdr.height = int(std::min<int64_t>(h, INT32_MAX));
    return hdr;
}

// The Orientation tag (0x0112) of IFD0 in an APP1 "Exif" payload; 1 when there is none. The
// decoder turns the picture by the same tag, so the upright size follows from it.
int exifOrientation(const QByteArray &payload)
{
    if (!payload.startsWith(QByteArray("Exif\0\0", 6)))
        return 1;
    const QByteArray tiff = payload.mid(6);
    const auto *t = reinterpret_cast<const uchar *>(tiff.constData());
    const qint64 n = tiff.size();
    if (n < 8)
        return 1;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M'))
        return 1;
    auto u16 = [&](qint64 at) { return little ? le16(t + at) : be16(t + at); };
    auto u32 = [&](qint64 at) { return little ? le32(t + at) : be32(t + at); };
    if (u16(2) != 42)
        return 1;
    const qint64 ifd = u32(4);
    if (ifd < 8 || ifd + 2 > n)
        return 1;
    const int entries = int(u16(ifd));
    for (int i = 0; i < entries; ++i) {
        const qint64 e = ifd + 2 + 12 * qint64(i);
        if (e + 12 > n)
            break;
        if (u16(e) != 0x0112 || u32(e + 4) != 1)
            continue;
        const uint32_t type = u16(e + 2);
        const uint32_t value = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : 0;
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

// Samples a pixel and precision from a start-of-frame payload: each component's samples
// relative to the largest sampling factors (a 4:2:0 picture has 4 + 1 + 1 samples for 4 pixels).
void describeJpegFrame(const QByteArray &payload, uchar marker, PictureHeader *hdr)
{
    const auto *p = reinterpret_cast<const uchar *>(payload.constData());
    const int components = payload.size() >= 6 ? p[5] : 0;
    if (components <= 0 || payload.size() < 6 + 3 * components)
        return;
    int hMax = 1, vMax = 1, samples = 0;
    for (int i = 0; i < components; ++i) {
        const int factors = p[6 + 3 * i + 1];
        hMax = std::max(hMax, factors >> 4);
        vMax = std::max(vMax, factors & 15);
    }
    for (int i = 0; i < components; ++i) {
        const int factors = p[6 + 3 * i + 1];
        samples += std::max(1, factors >> 4) * std::max(1, factors & 15);
    }
    hdr->bitsPerSample = p[0];
    hdr->sampleNum = samples;
    hdr->sampleDen = hMax * vMax;
    // SOF2, SOF6, SOF10 and SOF14 are the progressive frames.
    hdr->progressive = (marker & 3) == 2;
}

// A PNG's colour type and depth, and whether a tRNS chunk (which the decoder turns into an
// alpha channel) comes before the picture data.
void describePng(QFile &file, const uchar *ihdr, PictureHeader *hdr)
{
    const int depth = ihdr[24], colourType = ihdr[25];
    int channels = 0;
    switch (colourType) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1; // palette indices; the palette stays aside
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        return;
    }
    qint64 pos = 8 + 8 + 13 + 4; // signature, IHDR
    for (int guard = 0; guard < 256 && (colourType == 0 || colourType == 2); ++guard) {
        uchar chunk[8];
        if (!file.seek(pos) || file.read(reinterpret_cast<char *>(chunk), 8) != 8)
            break;
        const QByteArray type(reinterpret_cast<const char *>(chunk + 4), 4);
        if (type == "IDAT" || type == "IEND")
            break;
        if (type == "tRNS") {
            ++channels;
            break;
        }
        pos += 12 + qint64(be32(chunk));
    }
    hdr->bitsPerSample = depth;
    hdr->sampleNum = channels;
    hdr->sampleDen = 1;
}

// Walks the JPEG segments up to the first start-of-frame marker. Every segment used is read
// whole: a file cut inside one has no header we can trust.
PictureHeader readJpeg(QFile &file)
{
    int orientation = 0; // the first EXIF orientation seen counts
    qint64 pos = 2;
    for (int guard = 0; guard < 4096; ++guard) {
        if (!file.seek(pos))
            return {};
        uchar m[2];
        if (file.read(reinterpret_cast<char *>(m), 2) != 2)
            return {};
        if (m[0] != 0xFF)
            return {};
        if (m[1] == 0xFF) { // fill byte
            pos += 1;
            continue;
        }
        const uchar marker = m[1];
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return {};
        uchar len[2];
        if (file.read(reinterpret_cast<char *>(len), 2) != 2)
            return {};
        const qint64 length = be16(len); // counts its own two bytes
        if (length < 2)
            return {};
        const bool isSof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isSof || (marker == 0xE1 && orientation == 0)) {
            const QByteArray payload = file.read(length - 2);
            if (payload.size() != length - 2)
                return {};
            if (isSof) {
                if (payload.size() < 5)
                    return {};
                const auto *p = reinterpret_cast<const uchar *>(payload.constData());
                PictureHeader hdr = sized(be16(p + 3), be16(p + 1));
                hdr.kind = PictureHeader::Jpeg;
                hdr.orientation = orientation > 0 ? orientation : 1;
                describeJpegFrame(payload, marker, &hdr);
                return hdr;
            }
            if (payload.startsWith(QByteArray("Exif\0\0", 6)))
                orientation = exifOrientation(payload);
        }
        pos += 2 + length;
    }
    return {};
}

} // namespace

PictureHeader readPictureHeader(const QString &szPath)
{
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Enough for a HEIF's file-type box with its list of brands.
    const QByteArray head = file.read(256);
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const int n = head.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return readJpeg(file);
    if (n >= 24 && head.startsWith("\x89PNG\r\n\x1a\n") && head.mid(12, 4) == "IHDR") {
        PictureHeader hdr = sized(be32(p + 16), be32(p + 20));
        hdr.kind = PictureHeader::Png;
        if (hdr.known && n >= 26)
            describePng(file, p, &hdr);
        return hdr;
    }
    if (n >= 10 && (head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return sized(le16(p + 6), le16(p + 8));
    if (n >= 26 && head.startsWith("BM")) {
        const int32_t h = int32_t(le32(p + 22));
        return sized(int32_t(le32(p + 18)), h < 0 ? -int64_t(h) : h);
    }
    if (n >= 30 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        // What FFmpeg's decoder gives: 4:2:0 for lossy, with an alpha plane when the extended
        // header says so; lossless and animated pictures as 8-bit RGBA.
        const QByteArray chunk = head.mid(12, 4);
        PictureHeader hdr;
        // A file shorter than its RIFF size is cut: FFmpeg would show what it has.
        if (qint64(le32(p + 4)) + 8 > file.size()) {
            hdr.kind = PictureHeader::Webp;
            return hdr;
        }
        if (chunk == "VP8 " && p[23] == 0x9D && p[24] == 0x01 && p[25] == 0x2A) {
            hdr = sized(le16(p + 26) & 0x3FFF, le16(p + 28) & 0x3FFF);
            hdr.sampleNum = 3;
            hdr.sampleDen = 2;
        } else if (chunk == "VP8L" && p[20] == 0x2F) {
            const uint32_t bits = le32(p + 21);
            hdr = sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
            hdr.sampleNum = 4;
        } else if (chunk == "VP8X") {
            hdr = sized(1 + (p[24] | (p[25] << 8) | (p[26] << 16)),
                        1 + (p[27] | (p[28] << 8) | (p[29] << 16)));
            hdr.sampleNum = 4;
            hdr.animated = (p[20] & 0x02) != 0;
            if (hdr.animated)
                hdr.frames = countWebpFrames(szPath);
        } else {
            return {};
        }
        hdr.kind = PictureHeader::Webp;
        hdr.bitsPerSample = 8;
        return hdr;
    }
    if (const PictureHeader::Kind kind = heifKind(head); kind != PictureHeader::Other) {
        PictureHeader hdr;
        hdr.kind = kind;
        file.close();
        readHeifHeader(szPath, &hdr);
        return hdr;
    }
    return {};
}

int maxSideFor(const PictureHeader &hdr)
{
    if (!hdr.known)
        return kMaxOtherSide;
    switch (hdr.kind) {
    case PictureHeader::Jpeg:
        return kMaxJpegSide;
    case PictureHeader::Png:
        return kMaxPngSide;
    case PictureHeader::Heic:
    case PictureHeader::Avif:
        return kMaxHeifSide;
    case PictureHeader::Webp:
        return kMaxWebpSide;
    case PictureHeader::Other:
        break;
    }
    return kMaxOtherSide;
}

int64_t decodedBytesFor(const PictureHeader &hdr, int lowres)
{
    if (!hdr.known || hdr.bitsPerSample <= 0 || hdr.sampleNum <= 0 || hdr.sampleDen <= 0)
        return -1;
    // Headers may claim anything: counted wide enough not to overflow.
    using Wide = __int128;
    const Wide bytesPerSample = hdr.bitsPerSample > 8 ? 2 : 1;
    Wide w = hdr.width, h = hdr.height;
    Wide coefficients = 0;
    if (hdr.kind == PictureHeader::Jpeg) {
        // Whole blocks of the largest sampling (16 x 16 covers every usual one), 16 bits each.
        if (hdr.progressive)
            coefficients =
                (w + 15) / 16 * 16 * ((h + 15) / 16 * 16) * hdr.sampleNum / hdr.sampleDen * 2;
        const int l = std::clamp(lowres, 0, 3);
        w = (w + (1 << l) - 1) >> l; // the decoder rounds a reduced side up
        h = (h + (1 << l) - 1) >> l;
    }
    const Wide samples = (w * h * hdr.sampleNum + hdr.sampleDen - 1) / hdr.sampleDen;
    const Wide bytes = samples * bytesPerSample + coefficients;
    return bytes > INT64_MAX ? INT64_MAX : int64_t(bytes);
}

int leastLowres(const PictureHeader &hdr)
{
    if (!hdr.known || hdr.kind != PictureHeader::Jpeg)
        return 0;
    int lowres = 0;
    // The decoder rounds a reduced side up.
    while (lowres < 3 &&
           (-((-hdr.width) >> lowres) > kMaxKeptSide || -((-hdr.height) >> lowres) > kMaxKeptSide))
        ++lowres;
    return lowres;
}

int lowresKeeping(const PictureHeader &hdr, QSize need, QSize needTurned)
{
    if (!hdr.known)
        return 0;
    int lowres = 0;
    for (int l = 1; l <= 3; ++l) {
        const int w = hdr.width >> l, h = hdr.height >> l;
        if (w < need.width() || h < need.height() || h < needTurned.width() ||
            w < needTurned.height())
            break;
        lowres = l;
    }
    return lowres;
}

bool jpegImageComplete(const uchar *data, qint64 size)
{
    if (!data)
        return false;
    // The image starts at the first start-of-image marker: the decoder skips anything before.
    qint64 pos = 0;
    while (pos + 1 < size && !(data[pos] == 0xFF && data[pos + 1] == 0xD8))
        ++pos;
    if (pos + 1 >= size)
        return false;
    pos += 2;
    while (pos + 1 < size) {
        // Bytes between segments are skipped up to the next marker, as decoders do.
        if (data[pos] != 0xFF || data[pos + 1] == 0xFF) {
            ++pos;
            continue;
        }
        const uchar marker = data[pos + 1];
        if (marker == 0xD9)
            return true;
        // Markers without a length: TEM, restarts, a stray start-of-image, a stuffed zero.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > size)
            return false;
        const qint64 length = be16(data + pos + 2); // counts its own two bytes
        if (length < 2)
            return false;
        pos += 2 + length;
        if (pos > size)
            return false;
        if (marker != 0xDA)
            continue;
        // The scan's entropy-coded data runs to the next marker that is neither a stuffed
        // zero nor a restart; memchr keeps this cheap next to the decode itself.
        for (;;) {
            const void *ff = std::memchr(data + pos, 0xFF, size_t(size - pos));
            if (!ff)
                return false;
            pos = static_cast<const uchar *>(ff) - data;
            if (pos + 1 >= size)
                return false;
            const uchar next = data[pos + 1];
            if (next == 0xFF) {
                ++pos;
                continue;
            }
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
                continue;
            }
            break;
        }
    }
    return false;
}

bool hasPictureSignature(const QByteArray &head)
{
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const int n = head.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return true;
    if (head.startsWith("\x89PNG\r\n\x1a\n") || head.startsWith("GIF87a") ||
        head.startsWith("GIF89a") || head.startsWith("BM"))
        return true;
    if (n >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return true;
    if (heifKind(head) != PictureHeader::Other)
        return true;
    return head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4));
}

PictureHeader::Kind heifKind(const QByteArray &head)
{
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return PictureHeader::Other;
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const int boxEnd = int(std::min<uint32_t>(be32(p), uint32_t(head.size())));
    // "mif1" and "msf1" only say the file is HEIF; the codec's brand says which kind.
    auto kindOf = [](const QByteArray &brand) {
        if (brand == "avif" || brand == "avis")
            return PictureHeader::Avif;
        static const char *const heif[] = {"heic", "heix", "heim", "heis",
                                           "hevc", "hevx", "hevm", "hevs"};
        for (const char *b : heif)
            if (brand == b)
                return PictureHeader::Heic;
        return PictureHeader::Other;
    };
    auto isGeneric = [](const QByteArray &brand) { return brand == "mif1" || brand == "msf1"; };
    const QByteArray major = head.mid(8, 4);
    if (const PictureHeader::Kind k = kindOf(major); k != PictureHeader::Other)
        return k;
    bool heif = isGeneric(major);
    PictureHeader::Kind found = PictureHeader::Other;
    for (int at = 16; at + 4 <= boxEnd; at += 4) {
        const QByteArray brand = head.mid(at, 4);
        const PictureHeader::Kind k = kindOf(brand);
        if (k == PictureHeader::Avif)
            return k;
        if (k != PictureHeader::Other)
            found = k;
        heif = heif || isGeneric(brand);
    }
    // A HEIF of no brand we know (a JPEG inside HEIF, say) is left to libheif as a HEIC.
    return found != PictureHeader::Other ? found
           : heif                        ? PictureHeader::Heic
                                         : PictureHeader::Other;
}
