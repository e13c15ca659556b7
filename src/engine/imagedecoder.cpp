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
    connect(this, &ImageDecoder::sig_decodeRequest, this, &ImageDecoder::decodeRequestImpl);
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

    // Sizes beyond the limits are refused before anything is allocated: from the header, or from
    // the size the decoder refused to allocate. Either way the order of the checks (ratio first)
    // and the size they judge (upright) are those of the decoded picture.
    auto refuseBySize = [&](QSize size) {
        if (ratioIsAbnormal(size.width(), size.height()))
            return fail(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL));
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL));
    };
    const PictureHeader hdr = readPictureHeader(szFile);
    const QSize upright = hdr.upright();
    if (hdr.known && (upright.width() > kMaxSide || upright.height() > kMaxSide))
        return refuseBySize(upright);

    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return fail(nullptr, AVERROR(ENOMEM));
    // A thumbnail (or a mere check) needs far fewer pixels than the picture has: JPEG decodes
    // at a reduced size, at least twice the thumbnail box each way.
    const QSize need(2 * kThumbWidth, 2 * kThumbHeight);
    const int lowres = lowresKeeping(hdr, need, need);
    bool transposed = false;
    QSize refused;
    int ret = decodePictureFile(szFile, frame.get(), lowres, &transposed, &refused);
    // Only formats whose header we cannot read get here with a size the decoder refused; none of
    // them is turned by an orientation, so the stored size is the upright one.
    if (ret < 0 && refused.width() > 0 && refused.height() > 0)
        return refuseBySize(refused);
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

void ImageDecoder::decodeRequestImpl(quint64 iRequest, QString szFile, bool bJustCheck)
{
    if (!running.load() || iRequest <= cancelledUpTo.load())
        return;
    const Result r = decodeFile(szFile, bJustCheck);
    QPixmap pixmap;
    if (r.ok && !bJustCheck)
        pixmap.convertFromImage(r.thumbnail);
    emit sig_answered(iRequest, szFile, r.ok, pixmap, r.widthToHeight, r.srcSize, r.report);
}

void ImageDecoder::closeImpl(int iExitEcode)
{
    QThread::currentThread()->exit(iExitEcode);
}
