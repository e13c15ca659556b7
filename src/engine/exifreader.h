// SPDX-License-Identifier: GPL-3.0-or-later
// Reading when and with what a picture was taken from its EXIF block, in JPEG, PNG, WebP and
// HEIF/AVIF files. Every byte is untrusted: each read is bounds-checked and sizes are capped.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

struct ExifFacts
{
    // DateTimeOriginal, at its OffsetTimeOriginal when the file gives one (else local time);
    // invalid when absent or unreadable.
    QDateTime taken;
    QString make;
    QString model;
};

// The largest EXIF block looked at; camera blocks with their thumbnail stay well under it.
constexpr int kMaxExifBytes = 1024 * 1024;

// A TIFF-structured EXIF block ("II*\0" or "MM\0*" first; a leading "Exif\0\0" is skipped).
ExifFacts parseExif(const QByteArray &tiff);

// The EXIF block of a picture file, found by its content (JPEG APP1, PNG eXIf, WebP EXIF, the
// 'Exif' item of an ISO-BMFF meta box); empty when there is none or the file is damaged.
QByteArray findExifBlock(QIODevice &device);

// The same, of the box structure alone (HEIC, AVIF); exposed for its own tests.
QByteArray findIsoBmffExif(QIODevice &device);
