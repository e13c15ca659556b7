// SPDX-License-Identifier: GPL-3.0-or-later
// Faces in a picture, found once as it is imported, so that motion and crops can keep them in
// view. dlib's frontal face detector (HOG features and a linear classifier built into the
// library: no model file to go missing).
#pragma once

#include <QRectF>
#include <QString>
#include <QVector>

#include <cstdint>

struct AVFrame;

// The long side of the reduced copy the detector looks at. Faces smaller than about a tenth of
// the picture's long side are not found; larger copies cost four times the time per doubling.
constexpr int kFaceDetectSide = 1024;

// Faces in an 8-bit grey picture, as rectangles in fractions of it, largest first.
QVector<QRectF> detectFacesInGrey(const uint8_t *data, int width, int height, int stride);
// Faces in a decoded picture of any format (reduced to kFaceDetectSide first).
QVector<QRectF> detectFacesInFrame(const AVFrame *frame);
// Faces in a picture file, upright, in fractions of the upright picture. Results are kept per
// file content in `szCacheDir` (empty: $XDG_CACHE_HOME/VelmoraAlbum/faces), so a picture is
// looked at once. A file that cannot be read gives no faces.
QVector<QRectF> detectFaces(const QString &szPath, const QString &szCacheDir = QString());
QString defaultFaceCacheDir();
