// Header parsers for the still-picture formats users import.
#include "pictureheader.h"

#include <QFile>

#include <algorithm>

#include <cstdint>

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

// Walks the JPEG segments up to the first start-of-frame marker.
PictureHeader readJpeg(QFile &file)
{
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
        uchar seg[7];
        if (file.read(reinterpret_cast<char *>(seg), 7) < 2)
            return {};
        const uint32_t length = be16(seg);
        const bool isSof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isSof)
            return length >= 7 ? sized(be16(seg + 5), be16(seg + 3)) : PictureHeader{};
        if (marker == 0xD9 || marker == 0xDA || length < 2)
            return {};
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
    const QByteArray head = file.read(32);
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const int n = head.size();
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return readJpeg(file);
    if (n >= 24 && head.startsWith("\x89PNG\r\n\x1a\n") && head.mid(12, 4) == "IHDR")
        return sized(be32(p + 16), be32(p + 20));
    if (n >= 10 && (head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return sized(le16(p + 6), le16(p + 8));
    if (n >= 26 && head.startsWith("BM")) {
        const int32_t h = int32_t(le32(p + 22));
        return sized(int32_t(le32(p + 18)), h < 0 ? -int64_t(h) : h);
    }
    if (n >= 30 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        const QByteArray chunk = head.mid(12, 4);
        if (chunk == "VP8 " && p[23] == 0x9D && p[24] == 0x01 && p[25] == 0x2A)
            return sized(le16(p + 26) & 0x3FFF, le16(p + 28) & 0x3FFF);
        if (chunk == "VP8L" && p[20] == 0x2F) {
            const uint32_t bits = le32(p + 21);
            return sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
        }
        if (chunk == "VP8X")
            return sized(1 + (p[24] | (p[25] << 8) | (p[26] << 16)),
                         1 + (p[27] | (p[28] << 8) | (p[29] << 16)));
    }
    return {};
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
