// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a picture's pixel size from its file header, before anything is decoded.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>

// The largest side accepted for each kind of picture. A JPEG decodes at a reduced size
// (1/2 .. 1/8), so the photos of today's cameras and phones fit; a PNG decodes whole, so its
// limit is lower; any other format keeps the limit every picture once had.
constexpr int kMaxJpegSide = 16384;
constexpr int kMaxPngSide = 8192;
// HEIC, AVIF and WebP decode whole, as a PNG does; a phone's 48 or 50 MP photo fits.
constexpr int kMaxHeifSide = 8192;
constexpr int kMaxWebpSide = 8192;
constexpr int kMaxOtherSide = 4096;
// The largest side a decoded picture is kept at: a larger one is decoded reduced or scaled down
// at once, so that the album holds no more than a 4096 x 4096 picture would.
constexpr int kMaxKeptSide = 4096;
// The most memory one decode may take (its picture, and a progressive JPEG's coefficients): a
// 16-bit 8192 x 8192 PNG would need 384 MiB or more, an 8-bit RGBA one exactly this.
constexpr int64_t kMaxDecodedBytes = int64_t(256) * 1024 * 1024;

struct PictureHeader
{
    enum Kind
    {
        Other,
        Jpeg,
        Png,
        Heic, // HEIF with HEVC, and any other HEIF that is not AVIF
        Avif,
        Webp
    };

    bool known = false; // false when the format is not one we can read the header of
    Kind kind = Other;
    int width = 0; // as stored, before any EXIF orientation
    int height = 0;
    // EXIF orientation of a JPEG (1..8); 5 to 8 turn it a quarter. A HEIF's size is already the
    // upright one (its own rotation and crop applied; the EXIF tag inside it is not used).
    int orientation = 1;
    // What the decoder makes of it, when known: bits a sample (PNG bit depth, JPEG precision),
    // samples a pixel over all planes at their own resolution (sampleNum / sampleDen: 1.5 for
    // a 4:2:0 JPEG, 4 for an RGBA PNG or an RGB one with a transparent colour), and whether a
    // JPEG is progressive (its decoder keeps every coefficient of the whole picture).
    int bitsPerSample = 0;
    int sampleNum = 0;
    int sampleDen = 1;
    bool progressive = false;
    // A WebP in its animation format (frames in ANMF chunks), and how many frames it has: its
    // first frame is what is shown.
    bool animated = false;
    int frames = 1;

    // The size once the decoder has turned the picture upright.
    QSize upright() const
    {
        return orientation >= 5 && orientation <= 8 ? QSize(height, width) : QSize(width, height);
    }
};

// Reads the size from a JPEG (SOFn, and the EXIF orientation before it), PNG (IHDR), GIF, BMP,
// WebP or HEIF (HEIC, AVIF: its boxes, through libheif) header. A HEIF whose boxes run past the
// end of the file, or that libheif cannot parse, and a WebP shorter than its RIFF size, have
// their kind set but are not known. A few kilobytes are read at most; nothing is decoded, so a file
// claiming 30000 x 30000 pixels costs nothing. A header cut short is unknown, never guessed.
PictureHeader readPictureHeader(const QString &szPath);

// The largest side accepted for a picture with this header (kMaxOtherSide when it is unknown).
int maxSideFor(const PictureHeader &hdr);

// The bytes the decoder needs for this picture at JPEG reduction `lowres` (ignored for other
// kinds): its decoded picture, and a progressive JPEG's coefficients at full size. -1 when the
// header does not tell.
int64_t decodedBytesFor(const PictureHeader &hdr, int lowres);

// The least JPEG reduction (0 .. 3) that brings both sides to kMaxKeptSide; 0 for anything else.
int leastLowres(const PictureHeader &hdr);

// The largest JPEG reduction (0 .. 3 for 1/1 .. 1/8) after which the picture still has at least
// `need` pixels each way as stored, and `needTurned` each way once turned upright by a quarter
// turn (both, so that the choice never depends on reading the orientation right). 0 when the
// header is unknown.
int lowresKeeping(const PictureHeader &hdr, QSize need, QSize needTurned);

// True when the JPEG in `data` holds a whole image: from its start-of-image marker, its segments
// and the entropy-coded data of every scan run up to an end-of-image marker. A file cut anywhere
// before that marker is not whole; whatever follows the marker (zero padding, a second image) does
// not matter. The decoder would conceal the missing part of a cut file and show it smeared, so such
// files are refused.
bool jpegImageComplete(const uchar *data, qint64 size);

// True when the first bytes of a file carry the signature of a picture format (JPEG, PNG, GIF,
// BMP, WebP, TIFF, HEIC, AVIF): a file that starts so but cannot be decoded is a damaged picture,
// any other is not a picture at all.
bool hasPictureSignature(const QByteArray &head);

// The HEIF kind of an ISO media file from its first bytes (its `ftyp` box): Heic, Avif, or Other
// when it is not a HEIF picture (an MP4 or QuickTime video, say).
PictureHeader::Kind heifKind(const QByteArray &head);
