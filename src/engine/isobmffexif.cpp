// SPDX-License-Identifier: GPL-3.0-or-later
// The 'Exif' item of a HEIF or AVIF file: the meta box, its item list (iinf) and item places
// (iloc), read by a small bounded box walker rather than a whole decoder library.
#include "exifreader.h"

#include <QIODevice>
#include <QList>
#include <QPair>

#include <algorithm>
#include <cstdint>

namespace {

// Boxes that hold the item tables are small; these caps keep a hostile file from making us
// read or loop much.
constexpr qint64 kMaxTableBytes = 1024 * 1024;
constexpr int kMaxBoxes = 4096;
constexpr int kMaxExtents = 64;

constexpr quint32 fourcc(const char (&s)[5])
{
    return quint32(uchar(s[0])) << 24 | quint32(uchar(s[1])) << 16 | quint32(uchar(s[2])) << 8 |
           quint32(uchar(s[3]));
}

// Big-endian reads from a byte range; once a read fails every later one fails too.
class Cursor
{
public:
    Cursor(const QByteArray &d, qint64 from, qint64 to) : m_d(&d), m_pos(from), m_end(to)
    {
        if (m_end > d.size() || from < 0 || from > m_end)
            m_ok = false;
    }
    quint64 read(int bytes)
    {
        if (!m_ok || bytes < 0 || bytes > 8 || m_pos + bytes > m_end) {
            m_ok = false;
            return 0;
        }
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | uchar((*m_d)[int(m_pos + i)]);
        m_pos += bytes;
        return v;
    }
    void skip(qint64 n)
    {
        if (!m_ok || n < 0 || m_pos + n > m_end)
            m_ok = false;
        else
            m_pos += n;
    }
    bool ok() const { return m_ok; }
    qint64 pos() const { return m_pos; }
    qint64 end() const { return m_end; }

private:
    const QByteArray *m_d;
    qint64 m_pos;
    qint64 m_end;
    bool m_ok = true;
};

struct Box
{
    quint32 type = 0;
    qint64 payload = 0; // where its contents start
    qint64 end = 0;     // one past its last byte
};

// The box header at `at` in [at, limit): false for a box that does not fit.
bool boxIn(Cursor &c, qint64 limit, Box *box)
{
    const qint64 start = c.pos();
    quint64 size = c.read(4);
    box->type = quint32(c.read(4));
    if (size == 1)
        size = c.read(8);
    else if (size == 0)
        size = quint64(limit - start);
    if (!c.ok() || size < quint64(c.pos() - start) || size > quint64(limit - start))
        return false;
    box->payload = c.pos();
    box->end = start + qint64(size);
    return true;
}

bool readFile(QIODevice &device, qint64 at, qint64 n, QByteArray *out)
{
    if (at < 0 || n < 0 || !device.seek(at))
        return false;
    *out = device.read(n);
    return out->size() == n;
}

// A top-level or meta child box read from the file: header from a small read, contents only
// when wanted.
bool fileBox(QIODevice &device, qint64 at, qint64 limit, Box *box)
{
    QByteArray head;
    const qint64 n = std::min<qint64>(16, limit - at);
    if (n < 8 || !readFile(device, at, n, &head))
        return false;
    Cursor c(head, 0, head.size());
    Box local;
    if (!boxIn(c, limit - at, &local))
        return false;
    box->type = local.type;
    box->payload = at + local.payload;
    box->end = at + local.end;
    return true;
}

// The id of the item whose type is 'Exif', from the iinf payload (after its own header);
// 0 when none.
quint32 exifItemId(const QByteArray &iinf)
{
    Cursor c(iinf, 0, iinf.size());
    const int version = int(c.read(1));
    c.skip(3);
    const quint64 count = c.read(version == 0 ? 2 : 4);
    for (quint64 i = 0; i < count && i < quint64(kMaxBoxes) && c.ok(); ++i) {
        Box infe;
        if (!boxIn(c, c.end(), &infe))
            return 0;
        if (infe.type == fourcc("infe")) {
            Cursor e(iinf, infe.payload, infe.end);
            const int v = int(e.read(1));
            e.skip(3);
            // Versions 0 and 1 name no item type.
            if (v >= 2) {
                const quint32 id = quint32(e.read(v == 2 ? 2 : 4));
                e.skip(2); // protection index
                const quint32 type = quint32(e.read(4));
                if (e.ok() && type == fourcc("Exif") && id != 0)
                    return id;
            }
        }
        c = Cursor(iinf, infe.end, iinf.size());
    }
    return 0;
}

struct ItemPlace
{
    int method = 0; // 0: file offsets; 1: offsets into idat
    quint64 base = 0;
    QList<QPair<quint64, quint64>> extents; // offset, length (0: to the end)
};

bool itemPlace(const QByteArray &iloc, quint32 wanted, ItemPlace *place)
{
    Cursor c(iloc, 0, iloc.size());
    const int version = int(c.read(1));
    c.skip(3);
    if (version > 2)
        return false;
    const int sizes = int(c.read(2));
    const int offsetSize = sizes >> 12 & 0xf, lengthSize = sizes >> 8 & 0xf;
    const int baseSize = sizes >> 4 & 0xf;
    const int indexSize = version >= 1 ? (sizes & 0xf) : 0;
    auto validSize = [](int s) { return s == 0 || s == 4 || s == 8; };
    if (!validSize(offsetSize) || !validSize(lengthSize) || !validSize(baseSize) ||
        !validSize(indexSize))
        return false;
    const quint64 count = c.read(version < 2 ? 2 : 4);
    for (quint64 i = 0; i < count && c.ok(); ++i) {
        const quint32 id = quint32(c.read(version < 2 ? 2 : 4));
        int method = 0;
        if (version >= 1)
            method = int(c.read(2) & 0xf);
        c.skip(2); // data reference index
        const quint64 base = c.read(baseSize);
        const int extents = int(c.read(2));
        ItemPlace found{method, base, {}};
        for (int k = 0; k < extents && c.ok(); ++k) {
            c.skip(indexSize);
            const quint64 offset = c.read(offsetSize);
            const quint64 length = c.read(lengthSize);
            if (k < kMaxExtents)
                found.extents.append({offset, length});
        }
        if (!c.ok())
            return false;
        if (id == wanted) {
            *place = found;
            return !found.extents.isEmpty();
        }
    }
    return false;
}

} // namespace

QByteArray findIsoBmffExif(QIODevice &device)
{
    if (!device.isOpen() || device.isSequential())
        return {};
    const qint64 size = device.size();
    Box meta;
    bool bMeta = false;
    qint64 at = 0;
    for (int i = 0; i < kMaxBoxes && at < size; ++i) {
        Box box;
        if (!fileBox(device, at, size, &box))
            return {};
        if (i == 0 && box.type != fourcc("ftyp"))
            return {};
        if (box.type == fourcc("meta")) {
            meta = box;
            bMeta = true;
            break;
        }
        at = box.end;
    }
    if (!bMeta)
        return {};
    // meta is a full box: its version and flags come before its children.
    QByteArray iinf, iloc;
    Box idat;
    bool bIdat = false;
    at = meta.payload + 4;
    for (int i = 0; i < kMaxBoxes && at < meta.end; ++i) {
        Box box;
        if (!fileBox(device, at, meta.end, &box))
            return {};
        const qint64 n = box.end - box.payload;
        if (box.type == fourcc("iinf") &&
            (n > kMaxTableBytes || !readFile(device, box.payload, n, &iinf)))
            return {};
        if (box.type == fourcc("iloc") &&
            (n > kMaxTableBytes || !readFile(device, box.payload, n, &iloc)))
            return {};
        if (box.type == fourcc("idat")) {
            idat = box;
            bIdat = true;
        }
        at = box.end;
    }
    const quint32 id = exifItemId(iinf);
    ItemPlace place;
    if (id == 0 || !itemPlace(iloc, id, &place) || place.method > 1 ||
        (place.method == 1 && !bIdat))
        return {};
    const qint64 areaStart = place.method == 1 ? idat.payload : 0;
    const qint64 areaEnd = place.method == 1 ? idat.end : size;
    QByteArray data;
    for (const auto &[offset, length] : place.extents) {
        // Sums in unsigned 64 bits cannot overflow past the checks below for sane sizes; huge
        // values are refused first.
        if (offset > quint64(areaEnd) || place.base > quint64(areaEnd))
            return {};
        const qint64 from = areaStart + qint64(place.base) + qint64(offset);
        const qint64 to = length == 0 ? areaEnd : from + qint64(std::min<quint64>(length, size));
        if (from < areaStart || to > areaEnd || to < from ||
            data.size() + (to - from) > kMaxExifBytes + 4 + 64)
            return {};
        QByteArray part;
        if (!readFile(device, from, to - from, &part))
            return {};
        data += part;
    }
    // The item starts with the offset of the TIFF header after its own four bytes.
    if (data.size() < 4)
        return {};
    const quint32 skip = quint32(uchar(data[0])) << 24 | quint32(uchar(data[1])) << 16 |
                         quint32(uchar(data[2])) << 8 | quint32(uchar(data[3]));
    if (skip > quint32(data.size() - 4))
        return {};
    return data.mid(4 + int(skip));
}
