// Hand-built EXIF blocks and the containers that carry them, for the date and camera readers.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace testexif {

struct Tags
{
    QByteArray make;
    QByteArray model;
    QByteArray date;   // DateTimeOriginal, "YYYY:MM:DD HH:MM:SS"
    QByteArray offset; // OffsetTimeOriginal, "+HH:MM"; empty: none
};

// A TIFF block: IFD 0 with Make, Model and the EXIF IFD pointer; the EXIF IFD with the date and
// its offset. ASCII values longer than four bytes go to a data area after the IFDs.
inline QByteArray tiff(const Tags &t, bool bLittle)
{
    auto u16 = [bLittle](quint16 v) {
        QByteArray b(2, '\0');
        bLittle ? qToLittleEndian(v, b.data()) : qToBigEndian(v, b.data());
        return b;
    };
    auto u32 = [bLittle](quint32 v) {
        QByteArray b(4, '\0');
        bLittle ? qToLittleEndian(v, b.data()) : qToBigEndian(v, b.data());
        return b;
    };
    struct Entry
    {
        quint16 tag;
        quint16 type;
        QByteArray value; // ASCII with its NUL, or a LONG's four bytes
    };
    QList<Entry> ifd0, exif;
    if (!t.make.isEmpty())
        ifd0 << Entry{0x010f, 2, t.make + '\0'};
    if (!t.model.isEmpty())
        ifd0 << Entry{0x0110, 2, t.model + '\0'};
    if (!t.date.isEmpty())
        exif << Entry{0x9003, 2, t.date + '\0'};
    if (!t.offset.isEmpty())
        exif << Entry{0x9011, 2, t.offset + '\0'};
    const quint32 ifd0At = 8;
    const quint32 ifd0Size = 2 + 12 * quint32(ifd0.size() + 1) + 4;
    const quint32 exifAt = ifd0At + ifd0Size;
    const quint32 exifSize = 2 + 12 * quint32(exif.size()) + 4;
    quint32 dataAt = exifAt + exifSize;
    QByteArray data;
    auto ifdBytes = [&](const QList<Entry> &entries, bool bPointer) {
        QByteArray out = u16(quint16(entries.size() + (bPointer ? 1 : 0)));
        for (const Entry &e : entries) {
            out += u16(e.tag) + u16(e.type) + u32(quint32(e.value.size()));
            if (e.value.size() <= 4) {
                out += e.value + QByteArray(4 - e.value.size(), '\0');
            } else {
                out += u32(dataAt + quint32(data.size()));
                data += e.value;
            }
        }
        if (bPointer)
            out += u16(0x8769) + u16(4) + u32(1) + u32(exifAt);
        return out + u32(0);
    };
    QByteArray out = (bLittle ? QByteArray("II") : QByteArray("MM")) + u16(42) + u32(ifd0At);
    out += ifdBytes(ifd0, true);
    out += ifdBytes(exif, false);
    return out + data;
}

inline QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}
inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A JPEG with an APP0 segment and then the EXIF APP1 after its SOI.
inline QByteArray inJpeg(const QByteArray &jpeg, const QByteArray &block)
{
    QByteArray app0("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const QByteArray payload = QByteArray("Exif\x00\x00", 6) + block;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((payload.size() + 2) >> 8);
    app1 += char((payload.size() + 2) & 0xff);
    return jpeg.left(2) + app0 + app1 + payload + jpeg.mid(2);
}

inline quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray body = type + data;
    const quint32 crc = crc32(body);
    return be32(quint32(data.size())) + body + be32(crc);
}

// The eXIf chunk after the picture data, where some writers put it.
inline QByteArray inPng(const QByteArray &png, const QByteArray &block)
{
    const int iend = png.lastIndexOf("IEND") - 4;
    return png.left(iend) + pngChunk("eXIf", block) + png.mid(iend);
}

// A RIFF/WEBP file: a VP8X header chunk, a stand-in image chunk of odd size (padded), EXIF.
inline QByteArray webp(const QByteArray &block)
{
    auto chunk = [](const QByteArray &fourcc, const QByteArray &data) {
        QByteArray c = fourcc + le32(quint32(data.size())) + data;
        if (data.size() % 2)
            c += '\0';
        return c;
    };
    const QByteArray body = "WEBP" + chunk("VP8X", QByteArray(10, '\0')) +
                            chunk("VP8L", QByteArray(7, '\x2f')) + chunk("EXIF", block);
    return "RIFF" + le32(quint32(body.size())) + body;
}

inline QByteArray box(const QByteArray &type, const QByteArray &payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}
inline QByteArray fullBox(const QByteArray &type, int version, const QByteArray &payload)
{
    return box(type, QByteArray(1, char(version)) + QByteArray(3, '\0') + payload);
}

// A minimal HEIF: ftyp, meta (hdlr, iinf with a picture item and the Exif item, iloc), mdat
// holding the Exif item (its four-byte header offset, "Exif\0\0", the block). bIdat: the item
// lies in the meta box's idat instead (construction method 1, iloc version 1).
inline QByteArray heif(const QByteArray &block, bool bIdat = false)
{
    const QByteArray item = be32(6) + QByteArray("Exif\x00\x00", 6) + block;
    const QByteArray ftyp = box("ftyp", QByteArray("heic") + be32(0) + "mif1heic");
    const QByteArray hdlr = fullBox("hdlr", 0, be32(0) + "pict" + QByteArray(13, '\0'));
    auto infe = [](quint16 id, const QByteArray &type) {
        QByteArray p;
        p += char(id >> 8);
        p += char(id & 0xff);
        p += QByteArray(2, '\0') + type + QByteArray(1, '\0');
        return fullBox("infe", 2, p);
    };
    const QByteArray iinf =
        fullBox("iinf", 0, QByteArray("\x00\x02", 2) + infe(1, "hvc1") + infe(2, "Exif"));
    auto iloc = [&](quint32 exifOffset) {
        // offset 4, length 4, base 0, index 0; two items with one extent each.
        QByteArray p("\x44\x00\x00\x02", 4);
        auto entry = [&](quint16 id, quint32 off, quint32 len) {
            QByteArray e;
            e += char(id >> 8);
            e += char(id & 0xff);
            if (bIdat)
                e += QByteArray("\x00\x01", 2); // construction method 1
            e += QByteArray("\x00\x00", 2);     // data reference
            e += QByteArray("\x00\x01", 2);     // one extent
            return e + be32(off) + be32(len);
        };
        p += entry(1, 0, 0x10);
        p += entry(2, exifOffset, quint32(item.size()));
        return fullBox("iloc", bIdat ? 1 : 0, p);
    };
    if (bIdat) {
        const QByteArray meta = fullBox("meta", 0, hdlr + iinf + iloc(0) + box("idat", item));
        return ftyp + meta + box("mdat", QByteArray(16, '\x55'));
    }
    // The mdat's place follows from the meta box's size, which does not depend on the offset.
    const int metaSize = fullBox("meta", 0, hdlr + iinf + iloc(0)).size();
    const quint32 itemAt = quint32(ftyp.size() + metaSize + 8 + 16);
    const QByteArray meta = fullBox("meta", 0, hdlr + iinf + iloc(itemAt));
    return ftyp + meta + box("mdat", QByteArray(16, '\x55') + item);
}

} // namespace testexif
