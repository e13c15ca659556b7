// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of phones' camera rolls that FFmpeg does not read whole: HEIC and AVIF (through
// libheif) and animated WebP (through libwebp's demuxer).
#pragma once

#include "pictureheader.h"

#include <QSize>
#include <QString>

struct AVFrame;

// Fills a HEIF header (size upright, alpha, bit depth) from the file's boxes; nothing is decoded.
// `hdr->kind` is set by the caller; `known` stays false when the file is cut or unreadable.
void readHeifHeader(const QString &szPath, PictureHeader *hdr);

// Decodes the primary picture of a HEIC or AVIF into an 8-bit RGB24 or RGBA frame, upright (its
// rotation, mirror and crop applied; its EXIF orientation is not). When `thumbnailEnough` is
// valid and the file carries a thumbnail of the picture's shape at least that large each way,
// the thumbnail is decoded instead. An AVERROR code on failure (AVERROR_INVALIDDATA for a
// damaged file).
int decodeHeifFile(const QString &szPath, AVFrame *dst, QSize thumbnailEnough = QSize());

// Counts the frames of an animated WebP (its ANMF chunks) without decoding; 0 when unreadable.
int countWebpFrames(const QString &szPath);

// Decodes the first frame of an animated WebP, composed on its canvas, into an RGBA frame.
int decodeAnimatedWebpFile(const QString &szPath, AVFrame *dst);
