// SPDX-License-Identifier: GPL-3.0-or-later
// Faces in a picture, found once as it is imported, so that motion and crops can keep them in
// view. dlib's frontal face detector (HOG features and a linear classifier built into the
// library: no model file to go missing).
#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <QVector>

#include <cstdint>

struct AVFrame;

// The reduced copy the detector looks at holds about this many pixels, whatever the picture's
// shape: its time follows the pixels, and a wide picture, whose people are small against its
// long side, gets a longer copy (a 4:3 photo 1265 x 949, a 3:1 panorama 1897 x 632). The
// detector finds faces of 80 pixels and more in it.
constexpr int kFaceDetectPixels = 1200000;
constexpr int kFaceDetectLongest = 2048;
// The size of that copy of a picture of w x h (the picture's own when it is smaller).
QSize faceDetectSize(int w, int h);

// Faces in an 8-bit grey picture, as rectangles in fractions of it, largest first.
QVector<QRectF> detectFacesInGrey(const uint8_t *data, int width, int height, int stride);
// Faces in a decoded picture of any format (reduced to faceDetectSize first).
QVector<QRectF> detectFacesInFrame(const AVFrame *frame);
// Faces in a picture file, upright, in fractions of the upright picture. Results are kept per
// file content in `szCacheDir` (empty: $XDG_CACHE_HOME/VelmoraAlbum/faces), so a picture is
// looked at once. A file that cannot be read gives no faces.
QVector<QRectF> detectFaces(const QString &szPath, const QString &szCacheDir = QString());
QString defaultFaceCacheDir();
