// SPDX-License-Identifier: GPL-3.0-or-later
// EXIF: the TIFF structure, and finding it in JPEG, PNG and WebP files.
#include "exifreader.h"

#include <QIODevice>
#include <QTimeZone>

#include <algorithm>
#include <cstdint>

namespace {

constexpr quint16 kTagMake = 0x010f;
constexpr quint16 kTagModel = 0x0110;
constexpr quint16 kTagExifIfd = 0x8769;
constexpr quint16 kTagDateTimeOriginal = 0x9003;
constexpr quint16 kTagOffsetTimeOriginal = 0x9011;
constexpr quint16 kTypeAscii = 2;
// Camera names are short; anything longer is junk and is cut here.
constexpr int kMaxTextBytes = 128;
// Files with more segments or chunks than this before their EXIF are not worth the reads.
constexpr int kMaxSegments = 100000;

// Bounds-checked reads of a TIFF block in its own byte order.
class Tiff
{
public:
    explicit Tiff(const QByteArray &bytes) : m_d(bytes) {}

    bool open()
    {
        if (m_d.size() < 8)
            return false;
        if (m_d.startsWith("II"))
            m_bLittle = true;
        else if (m_d.startsWith("MM"))
            m_bLittle = false;
        else
            return false;
        quint16 magic = 0;
        return u16(2, &magic) && magic == 42;
    }
    bool u16(qint64 at, quint16 *v) const
    {
        if (at < 0 || at + 2 > m_d.size())
            return false;
        const auto *p = reinterpret_cast<const uchar *>(m_d.constData() + at);
        *v = m_bLittle ? quint16(p[0] | p[1] << 8) : quint16(p[0] << 8 | p[1]);
        return true;
    }
    bool u32(qint64 at, quint32 *v) const
    {
        if (at < 0 || at + 4 > m_d.size())
            return false;
        const auto *p = reinterpret_cast<const uchar *>(m_d.constData() + at);
        *v = m_bLittle
                 ? quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24
                 : quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
        return true;
    }

    // The ASCII value of the entry at `entry`, up to its first NUL; empty when not ASCII or out
    // of bounds.
    QByteArray ascii(qint64 entry) const
    {
        quint16 type = 0;
        quint32 count = 0;
        if (!u16(entry + 2, &type) || type != kTypeAscii || !u32(entry + 4, &count) || count == 0)
            return {};
        qint64 at = entry + 8;
        if (count > 4) {
            quint32 offset = 0;
            if (!u32(entry + 8, &offset))
                return {};
            at = offset;
        }
        const qint64 n = std::min<qint64>(count, kMaxTextBytes);
        if (at + n > m_d.size())
            return {};
        QByteArray text = m_d.mid(int(at), int(n));
        const int nul = text.indexOf('\0');
        if (nul >= 0)
            text.truncate(nul);
        return text.trimmed();
    }

    // Calls fn(tag, entryOffset) for every entry of the IFD at `at` that lies in the block.
    template <typename Fn> void forEachEntry(qint64 at, Fn fn) const
    {
        quint16 count = 0;
        if (!u16(at, &count))
            return;
        const qint64 room = (m_d.size() - at - 2) / 12;
        const qint64 n = std::min<qint64>(count, room);
        for (qint64 i = 0; i < n; ++i) {
            const qint64 entry = at + 2 + 12 * i;
            quint16 tag = 0;
            if (u16(entry, &tag))
                fn(tag, entry);
        }
    }

private:
    const QByteArray &m_d;
    bool m_bLittle = true;
};

bool digits(const QByteArray &s, int from, int n, int *value)
{
    int v = 0;
    for (int i = from; i < from + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return true;
}

// "2023:07:14 18:05:09"; blank or zeroed dates (cameras without a clock) are not dates.
QDateTime exifDateTime(const QByteArray &s, const QByteArray &offset)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (s.size() < 19 || !digits(s, 0, 4, &y) || s[4] != ':' || !digits(s, 5, 2, &mo) ||
        s[7] != ':' || !digits(s, 8, 2, &d) || (s[10] != ' ' && s[10] != 'T') ||
        !digits(s, 11, 2, &h) || s[13] != ':' || !digits(s, 14, 2, &mi) || s[16] != ':' ||
        !digits(s, 17, 2, &se))
        return {};
    const QDate date(y, mo, d);
    const QTime time(h, mi, se == 60 ? 59 : se);
    if (y < 1 || !date.isValid() || !time.isValid())
        return {};
    // "+09:00": the camera's own zone; without it the picture's clock is taken as local.
    int oh = 0, om = 0;
    if (offset.size() >= 6 && (offset[0] == '+' || offset[0] == '-') && digits(offset, 1, 2, &oh) &&
        offset[3] == ':' && digits(offset, 4, 2, &om) && oh <= 14 && om < 60) {
        const int seconds = (oh * 3600 + om * 60) * (offset[0] == '-' ? -1 : 1);
        return QDateTime(date, time, Qt::OffsetFromUTC, seconds);
    }
    return QDateTime(date, time, Qt::LocalTime);
}

bool readAt(QIODevice &device, qint64 at, qint64 n, QByteArray *out)
{
    if (at < 0 || n < 0 || n > kMaxExifBytes + 16 || !device.seek(at))
        return false;
    *out = device.read(n);
    return out->size() == n;
}

quint32 be32(const QByteArray &b, int at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}
quint32 le32(const QByteArray &b, int at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

QByteArray jpegExif(QIODevice &device)
{
    const qint64 size = device.size();
    qint64 pos = 2;
    for (int i = 0; i < kMaxSegments && pos + 4 <= size; ++i) {
        QByteArray head;
        if (!readAt(device, pos, 2, &head) || uchar(head[0]) != 0xff)
            return {};
        const uchar marker = uchar(head[1]);
        if (marker == 0xff) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || marker == 0xd8 || (marker >= 0xd0 && marker <= 0xd7)) {
            pos += 2;
            continue;
        }
        // The scan or the end: the metadata segments all come before.
        if (marker == 0xda || marker == 0xd9)
            return {};
        QByteArray len;
        if (!readAt(device, pos + 2, 2, &len))
            return {};
        const int length = uchar(len[0]) << 8 | uchar(len[1]);
        if (length < 2)
            return {};
        if (marker == 0xe1 && length - 2 > 6) {
            QByteArray payload;
            if (!readAt(device, pos + 4, length - 2, &payload))
                return {};
            if (payload.startsWith(QByteArray("Exif\0\0", 6)))
                return payload.mid(6);
        }
        pos += 2 + length;
    }
    return {};
}

QByteArray pngExif(QIODevice &device)
{
    const qint64 size = device.size();
    qint64 pos = 8;
    for (int i = 0; i < kMaxSegments && pos + 8 <= size; ++i) {
        QByteArray head;
        if (!readAt(device, pos, 8, &head))
            return {};
        const quint32 length = be32(head, 0);
        if (length > 0x7fffffffu)
            return {};
        const QByteArray type = head.mid(4, 4);
        if (type == "eXIf") {
            QByteArray payload;
            if (length > quint32(kMaxExifBytes) || !readAt(device, pos + 8, length, &payload))
                return {};
            return payload;
        }
        if (type == "IEND")
            return {};
        pos += 12 + qint64(length);
    }
    return {};
}

QByteArray webpExif(QIODevice &device)
{
    const qint64 size = device.size();
    qint64 pos = 12;
    for (int i = 0; i < kMaxSegments && pos + 8 <= size; ++i) {
        QByteArray head;
        if (!readAt(device, pos, 8, &head))
            return {};
        const quint32 length = le32(head, 4);
        if (head.startsWith("EXIF")) {
            QByteArray payload;
            if (length > quint32(kMaxExifBytes) || !readAt(device, pos + 8, length, &payload))
                return {};
            return payload;
        }
        // Chunks are padded to an even size.
        pos += 8 + qint64(length) + (length & 1);
    }
    return {};
}

} // namespace

ExifFacts parseExif(const QByteArray &block)
{
    ExifFacts facts;
    // Some writers keep the JPEG's "Exif\0\0" in PNG and WebP chunks too.
    const QByteArray tiffBytes = block.startsWith(QByteArray("Exif\0\0", 6)) ? block.mid(6) : block;
    Tiff tiff(tiffBytes);
    if (!tiff.open())
        return facts;
    quint32 ifd0 = 0;
    if (!tiff.u32(4, &ifd0))
        return facts;
    quint32 exifIfd = 0;
    tiff.forEachEntry(ifd0, [&](quint16 tag, qint64 entry) {
        if (tag == kTagMake)
            facts.make = QString::fromUtf8(tiff.ascii(entry));
        else if (tag == kTagModel)
            facts.model = QString::fromUtf8(tiff.ascii(entry));
        else if (tag == kTagExifIfd)
            tiff.u32(entry + 8, &exifIfd);
    });
    // An EXIF IFD that points back at IFD 0 is read once, as nothing more.
    if (exifIfd == 0 || exifIfd == ifd0)
        return facts;
    QByteArray date, offset;
    tiff.forEachEntry(exifIfd, [&](quint16 tag, qint64 entry) {
        if (tag == kTagDateTimeOriginal)
            date = tiff.ascii(entry);
        else if (tag == kTagOffsetTimeOriginal)
            offset = tiff.ascii(entry);
    });
    facts.taken = exifDateTime(date, offset);
    return facts;
}

QByteArray findExifBlock(QIODevice &device)
{
    if (!device.isOpen() || device.isSequential())
        return {};
    QByteArray head;
    if (!readAt(device, 0, 12, &head))
        return {};
    if (uchar(head[0]) == 0xff && uchar(head[1]) == 0xd8)
        return jpegExif(device);
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return pngExif(device);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return webpExif(device);
    if (head.mid(4, 4) == "ftyp")
        return findIsoBmffExif(device);
    return {};
}
