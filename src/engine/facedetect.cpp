// SPDX-License-Identifier: GPL-3.0-or-later
// Face detection with dlib, on a reduced grey copy of the picture, cached per file content.
#include "facedetect.h"

#include "avhandles.h"
#include "framegraph.h"
#include "pictureheader.h"

#include <dlib/image_processing/frontal_face_detector.h>

extern "C" {
#include <libavutil/frame.h>
}

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace {

// Changed whenever what the detector finds changes, so that older cached results are not used.
constexpr int kDetectorVersion = 2;

// A view of grey pixels in the form dlib's scanners read, without copying them.
class GreyView
{
public:
    GreyView(const uint8_t *data, long width, long height, long stride)
        : m_data(data), m_width(width), m_height(height), m_stride(stride)
    {
    }
    const uint8_t *data() const { return m_data; }
    long width() const { return m_width; }
    long height() const { return m_height; }
    long stride() const { return m_stride; }

private:
    const uint8_t *m_data;
    long m_width, m_height, m_stride;
};

// dlib's generic image interface for GreyView.
long num_rows(const GreyView &v)
{
    return v.height();
}
long num_columns(const GreyView &v)
{
    return v.width();
}
const void *image_data(const GreyView &v)
{
    return v.data();
}
long width_step(const GreyView &v)
{
    return v.stride();
}

QByteArray contentKey(const QString &szPath)
{
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(kDetectorVersion) + ':' +
                 QByteArray::number(kFaceDetectPixels) + ':');
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        return {};
    return hash.result().toHex();
}

bool readCache(const QString &szFile, QVector<QRectF> *faces)
{
    QFile file(szFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 16));
    const QJsonValue list = doc.object().value(QStringLiteral("faces"));
    if (!list.isArray())
        return false;
    faces->clear();
    for (const QJsonValue &v : list.toArray()) {
        const QJsonArray a = v.toArray();
        const QRectF r(a.at(0).toDouble(-1), a.at(1).toDouble(-1), a.at(2).toDouble(-1),
                       a.at(3).toDouble(-1));
        // A damaged cache is looked at again rather than trusted.
        if (a.size() != 4 || r.x() < 0 || r.y() < 0 || r.width() <= 0 || r.height() <= 0 ||
            r.right() > 1 + 1e-6 || r.bottom() > 1 + 1e-6)
            return false;
        faces->append(r);
    }
    return true;
}

void writeCache(const QString &szFile, const QVector<QRectF> &faces)
{
    QJsonArray list;
    for (const QRectF &r : faces)
        list.append(QJsonArray{r.x(), r.y(), r.width(), r.height()});
    if (!QDir().mkpath(QFileInfo(szFile).absolutePath()))
        return;
    QSaveFile file(szFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("faces"), list}}).toJson());
    file.commit();
}

} // namespace

namespace dlib {
// dlib looks these traits up in its own namespace.
template <> struct image_traits<GreyView>
{
    typedef unsigned char pixel_type;
};
} // namespace dlib

QVector<QRectF> detectFacesInGrey(const uint8_t *data, int width, int height, int stride)
{
    QVector<QRectF> faces;
    if (!data || width <= 0 || height <= 0 || stride < width)
        return faces;
    // The detector keeps scratch between calls: one per thread.
    thread_local dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    const GreyView view(data, width, height, stride);
    const std::vector<dlib::rectangle> found = detector(view);
    for (const dlib::rectangle &r : found) {
        // dlib's boxes may reach past the picture's edge for a face at the edge.
        const double l = std::max<long>(0, r.left()), t = std::max<long>(0, r.top());
        const double rr = std::min<long>(width, r.right() + 1);
        const double b = std::min<long>(height, r.bottom() + 1);
        if (rr > l && b > t)
            faces.append(QRectF(l / width, t / height, (rr - l) / width, (b - t) / height));
    }
    std::stable_sort(faces.begin(), faces.end(), [](const QRectF &a, const QRectF &b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    return faces;
}

QSize faceDetectSize(int w, int h)
{
    if (w <= 0 || h <= 0)
        return QSize();
    const double r = std::min({1.0, std::sqrt(double(kFaceDetectPixels) / (double(w) * h)),
                               double(kFaceDetectLongest) / std::max(w, h)});
    return QSize(std::max(1, int(std::lround(w * r))), std::max(1, int(std::lround(h * r))));
}

QVector<QRectF> detectFacesInFrame(const AVFrame *frame)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};
    av::FramePtr grey = av::makeFrame();
    if (!grey || av_frame_ref(grey.get(), frame) < 0)
        return {};
    const QSize size = faceDetectSize(frame->width, frame->height);
    if (size != QSize(frame->width, frame->height) &&
        scaleFrame(grey.get(), grey.get(), size.width(), size.height()) < 0)
        return {};
    if (convertPixelFormat(grey.get(), grey.get(), AV_PIX_FMT_GRAY8) < 0)
        return {};
    return detectFacesInGrey(grey->data[0], grey->width, grey->height, grey->linesize[0]);
}

QString defaultFaceCacheDir()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("VelmoraAlbum/faces"));
}

QVector<QRectF> detectFaces(const QString &szPath, const QString &szCacheDir)
{
    const QByteArray key = contentKey(szPath);
    if (key.isEmpty())
        return {};
    const QString szCache = QDir(szCacheDir.isEmpty() ? defaultFaceCacheDir() : szCacheDir)
                                .filePath(QString::fromLatin1(key) + QStringLiteral(".json"));
    QVector<QRectF> faces;
    if (readCache(szCache, &faces))
        return faces;
    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return {};
    // A JPEG is decoded reduced, to about the detector's size: a 12 MP photo's quarter
    // (1000 x 750) is near enough to its 1265 x 949 and decodes four times faster than its half.
    const PictureHeader hdr = readPictureHeader(szPath);
    int lowres = 0;
    if (hdr.known && hdr.width > 0 && hdr.height > 0) {
        const QSize need = faceDetectSize(hdr.width, hdr.height) * 0.75;
        lowres = lowresKeeping(hdr, need, need.transposed());
    }
    if (decodePictureFile(szPath, frame.get(), lowres) < 0)
        return {};
    faces = detectFacesInFrame(frame.get());
    writeCache(szCache, faces);
    return faces;
}
