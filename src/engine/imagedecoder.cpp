// ImageDecoder: size limits, ratio, thumbnail.
#include "imagedecoder.h"

#include "averror.h"
#include "avhandles.h"
#include "framegraph.h"
#include "pictureheader.h"
#include "renderjob.h"

#include <QFileInfo>
#include <QThread>

namespace {

bool ratioIsAbnormal(int w, int h)
{
    const QSize thumb = fitEvenSize(w, h, ImageDecoder::kThumbWidth, ImageDecoder::kThumbHeight);
    return thumb.width() <= 0 || thumb.height() <= 0;
}

} // namespace

ImageDecoder::ImageDecoder(QObject *parent) : QObject(parent)
{
    registerEngineMetaTypes();
    connect(this, &ImageDecoder::sig_decode, this, &ImageDecoder::decodeImpl);
    connect(this, &ImageDecoder::sig_close, this, &ImageDecoder::closeImpl);
}

ImageDecoder::Result ImageDecoder::decodeFile(const QString &szFile, bool bJustCheck)
{
    Result r;
    auto fail = [&r](const char *message, int code) {
        r.report = avErrorReport(message ? ImageDecoder::tr(message) : QString(), code);
        return r;
    };
    if (QFileInfo(szFile).size() > kMaxFileBytes)
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL));

    // Sizes beyond the limits are refused from the header, before anything is allocated; the
    // order of the checks (ratio first) stays that of the decoded picture.
    const PictureHeader hdr = readPictureHeader(szFile);
    if (hdr.known && (hdr.width > kMaxSide || hdr.height > kMaxSide)) {
        if (ratioIsAbnormal(hdr.width, hdr.height))
            return fail(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL));
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL));
    }

    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return fail(nullptr, AVERROR(ENOMEM));
    // A thumbnail (or a mere check) needs far fewer pixels than the picture has: JPEG decodes
    // at a reduced size, at least twice the thumbnail box each way.
    const QSize need(2 * kThumbWidth, 2 * kThumbHeight);
    const int lowres = lowresKeeping(hdr, need, need);
    bool transposed = false;
    int ret = decodePictureFile(szFile, frame.get(), lowres, &transposed);
    if (ret < 0)
        return fail(QT_TR_NOOP("Image decode failed"), ret);

    int width = frame->width;
    int height = frame->height;
    if (lowres > 0) {
        width = transposed ? hdr.height : hdr.width;
        height = transposed ? hdr.width : hdr.height;
    }
    r.widthToHeight = reduceRatio(width, height);
    const QSize thumb = fitEvenSize(width, height, kThumbWidth, kThumbHeight);
    if (thumb.width() <= 0 || thumb.height() <= 0)
        return fail(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL));
    if (width > kMaxSide || height > kMaxSide)
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL));

    if (!bJustCheck) {
        ret = convertPixelFormat(frame.get(), frame.get(), AV_PIX_FMT_BGRA);
        if (ret < 0)
            return fail(QT_TR_NOOP("Image format conversion failed"), ret);
        ret = scaleFrame(frame.get(), frame.get(), thumb.width(), thumb.height());
        if (ret < 0)
            return fail(QT_TR_NOOP("Image zoom failed"), ret);
        r.thumbnail = frameToImage(frame.get());
    }
    r.srcSize = QSize(width, height);
    r.ok = true;
    return r;
}

void ImageDecoder::decodeImpl(QString szFile, bool bJustCheck)
{
    if (!running.load())
        return;
    const Result r = decodeFile(szFile, bJustCheck);
    if (!r.ok) {
        emit sig_decodeFailed(szFile, r.report);
        return;
    }
    QPixmap pixmap;
    if (!bJustCheck)
        pixmap.convertFromImage(r.thumbnail);
    emit sig_decoded(szFile, pixmap, r.widthToHeight, r.srcSize);
}

void ImageDecoder::closeImpl(int iExitEcode)
{
    QThread::currentThread()->exit(iExitEcode);
}
