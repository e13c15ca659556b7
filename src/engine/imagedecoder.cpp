// SPDX-License-Identifier: GPL-3.0-or-later
// ImageDecoder: size limits, ratio, thumbnail.
#include "imagedecoder.h"
#include "clipsource.h"
#include "facedetect.h"

#include "album.h"
#include "albumfile.h"
#include "averror.h"
#include "avhandles.h"
#include "framegraph.h"
#include "pictureheader.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ratioIsAbnormal(int w, int h)
{
    const QSize thumb = fitEvenSize(w, h, ImageDecoder::kThumbWidth, ImageDecoder::kThumbHeight);
    return thumb.width() <= 0 || thumb.height() <= 0;
}

const char *unreadableWords(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return QT_TRANSLATE_NOOP("ImageDecoder", "file not found");
    if (error == EACCES || error == EPERM)
        return QT_TRANSLATE_NOOP("ImageDecoder", "cannot be read: permission denied");
    return QT_TRANSLATE_NOOP("ImageDecoder", "cannot be read");
}

// Whether the file's first bytes are a picture's, even where its header cannot be read (a HEIC
// or AVIF cut short is a damaged picture, not a clip).
bool startsLikePicture(const QString &szFile)
{
    QFile f(szFile);
    return f.open(QIODevice::ReadOnly) && hasPictureSignature(f.read(256));
}

// Why a picture could not be decoded, in words the user can act on. Judged from the file
// itself (whether it is there, readable, empty, and what its first bytes are), never from its
// name: a photo renamed to .png is damaged or not a picture by its content.
const char *decodeFailureWords(const QString &szFile, int code)
{
    if (code == AVERROR(ENOMEM))
        return QT_TRANSLATE_NOOP("ImageDecoder", "not enough memory");
    const QByteArray path = QFile::encodeName(szFile);
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0)
        return unreadableWords(errno);
    if (S_ISDIR(st.st_mode))
        return QT_TRANSLATE_NOOP("ImageDecoder", "a folder, not a picture file");
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return unreadableWords(errno);
    char head[256]; // a HEIF's brands follow its major one
    const ssize_t n = ::read(fd, head, sizeof head);
    const int readError = errno;
    ::close(fd);
    if (n < 0)
        return unreadableWords(readError);
    if (n == 0)
        return QT_TRANSLATE_NOOP("ImageDecoder", "empty file");
    if (hasPictureSignature(QByteArray(head, int(n))))
        return QT_TRANSLATE_NOOP("ImageDecoder", "damaged picture");
    if (isVideoClipFile(szFile))
        return QT_TRANSLATE_NOOP("ImageDecoder", "a video clip, not a picture");
    return QT_TRANSLATE_NOOP("ImageDecoder", "not a JPEG, PNG, HEIC, AVIF or WebP picture");
}

QString tooLargeWords(const PictureHeader &hdr)
{
    const QString side = QString::number(maxSideFor(hdr));
    if (hdr.known && hdr.kind == PictureHeader::Jpeg)
        return ImageDecoder::tr("larger than %1 × %2 pixels, the largest JPEG").arg(side, side);
    if (hdr.known && hdr.kind == PictureHeader::Png)
        return ImageDecoder::tr("larger than %1 × %2 pixels, the largest PNG").arg(side, side);
    if (hdr.known && hdr.kind == PictureHeader::Heic)
        return ImageDecoder::tr("larger than %1 × %2 pixels, the largest HEIC").arg(side, side);
    if (hdr.known && hdr.kind == PictureHeader::Avif)
        return ImageDecoder::tr("larger than %1 × %2 pixels, the largest AVIF").arg(side, side);
    if (hdr.known && hdr.kind == PictureHeader::Webp)
        return ImageDecoder::tr("larger than %1 × %2 pixels, the largest WebP").arg(side, side);
    return ImageDecoder::tr("larger than %1 × %2 pixels").arg(side, side);
}

// Memory is what limits a picture beyond its sides: said in MiB, with what would help.
QString tooManyBytesWords(const PictureHeader &hdr, int64_t bytes)
{
    constexpr int64_t MiB = 1024 * 1024;
    const QString need = QString::number((bytes + MiB - 1) / MiB);
    const QString limit = QString::number(kMaxDecodedBytes / MiB);
    if (hdr.known && hdr.kind == PictureHeader::Png && hdr.bitsPerSample > 8 &&
        bytes / 2 <= kMaxDecodedBytes)
        return ImageDecoder::tr("needs %1 MiB of memory at 16 bits a channel, more than the %2 MiB "
                                "a picture may use; saved with 8 bits a channel it would fit")
            .arg(need, limit);
    if (hdr.known && hdr.kind == PictureHeader::Jpeg && hdr.progressive)
        return ImageDecoder::tr("needs %1 MiB of memory, more than the %2 MiB a picture may use "
                                "(a progressive JPEG is decoded at its full size)")
            .arg(need, limit);
    return ImageDecoder::tr("needs %1 MiB of memory, more than the %2 MiB a picture may use")
        .arg(need, limit);
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
    // The step's "%1(%2)" report, then the plain words that say what is wrong with the file.
    auto fail = [&r](const char *message, int code, const QString &szReason) {
        r.reason = szReason;
        r.report = tr("%1 — %2").arg(
            avErrorReport(message ? ImageDecoder::tr(message) : QString(), code), szReason);
        return r;
    };
    auto failWith = [&fail](const char *message, int code, const char *reason) {
        return fail(message, code, tr(reason));
    };
    // Such a picture would show, but no album that holds it could be saved.
    if (!fileNameFitsAlbum(szFile))
        return failWith(QT_TR_NOOP("Image decode failed"), AVERROR(EINVAL),
                        QT_TR_NOOP("its name has a line break, which an album cannot keep; "
                                   "rename the file"));
    // Sizes beyond the limits are refused before anything is allocated: from the header, or from
    // the size the decoder refused to allocate. Either way the order of the checks (ratio first)
    // and the size they judge (upright) are those of the decoded picture.
    const PictureHeader hdr = readPictureHeader(szFile);
    // A film is an item of its own: its upright size, and a frame from a tenth of the way in.
    if (!hdr.known && !startsLikePicture(szFile) && looksLikeClip(szFile)) {
        ClipProbe probe;
        QString why;
        int ret = probeClip(szFile, &probe, &why);
        if (ret < 0)
            return fail(QT_TR_NOOP("Clip decode failed"), ret, why);
        r.widthToHeight = reduceRatio(probe.upright.width(), probe.upright.height());
        const QSize thumb =
            fitEvenSize(probe.upright.width(), probe.upright.height(), kThumbWidth, kThumbHeight);
        if (thumb.width() <= 0 || thumb.height() <= 0)
            return failWith(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL),
                            QT_TR_NOOP("far too wide or too tall to show"));
        if (!bJustCheck) {
            av::FramePtr frame = av::makeFrame();
            ret = frame ? decodeClipFrame(szFile, probe.facts.duration / 10, thumb, frame.get())
                        : AVERROR(ENOMEM);
            if (ret >= 0)
                ret = convertPixelFormat(frame.get(), frame.get(), AV_PIX_FMT_BGRA);
            if (ret < 0)
                return failWith(QT_TR_NOOP("Clip decode failed"), ret,
                                QT_TR_NOOP("its thumbnail cannot be made"));
            r.thumbnail = frameToImage(frame.get());
        }
        r.srcSize = probe.upright;
        r.clip = probe.facts;
        r.ok = true;
        return r;
    }
    // A picture is read whole into memory; a film streams, whatever its size.
    if (QFileInfo(szFile).size() > kMaxFileBytes)
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL),
                    tr("larger than %1 MiB").arg(QString::number(kMaxFileBytes / (1024 * 1024))));
    auto refuseBySize = [&](QSize size) {
        if (ratioIsAbnormal(size.width(), size.height()))
            return failWith(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL),
                            QT_TR_NOOP("far too wide or too tall to show"));
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL), tooLargeWords(hdr));
    };
    const QSize upright = hdr.upright();
    if (hdr.known && (upright.width() > maxSideFor(hdr) || upright.height() > maxSideFor(hdr)))
        return refuseBySize(upright);
    // Judged at the largest decode the picture will get anywhere (the export's), so that a
    // picture accepted here is never refused later.
    const int64_t needBytes = decodedBytesFor(hdr, leastLowres(hdr));
    if (needBytes > kMaxDecodedBytes)
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL),
                    tooManyBytesWords(hdr, needBytes));

    av::FramePtr frame = av::makeFrame();
    if (!frame)
        return failWith(nullptr, AVERROR(ENOMEM), QT_TR_NOOP("not enough memory"));
    // A thumbnail (or a mere check) needs far fewer pixels than the picture has: JPEG decodes
    // at a reduced size, at least twice the thumbnail box each way. A HEIC or AVIF carries a
    // thumbnail of its own, taken when it covers the strip's tile.
    const QSize need(2 * kThumbWidth, 2 * kThumbHeight);
    const int lowres = lowresKeeping(hdr, need, need);
    const QSize thumbnailEnough =
        !bJustCheck && hdr.known
            ? fitEvenSize(upright.width(), upright.height(), kThumbWidth, kThumbHeight)
            : QSize();
    bool transposed = false;
    QSize refused;
    int64_t refusedBytes = 0;
    int ret = decodePictureFile(szFile, frame.get(), lowres, &transposed, &refused, &refusedBytes,
                                thumbnailEnough);
    if (ret < 0 && refusedBytes > 0)
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL),
                    tooManyBytesWords(hdr, refusedBytes));
    // Only formats whose header we cannot read get here with a size the decoder refused; none of
    // them is turned by an orientation, so the stored size is the upright one.
    if (ret < 0 && refused.width() > 0 && refused.height() > 0)
        return refuseBySize(refused);
    if (ret < 0)
        return failWith(QT_TR_NOOP("Image decode failed"), ret, decodeFailureWords(szFile, ret));

    // A reduced or scaled-down decode: the picture's own size is the header's.
    int width = frame->width;
    int height = frame->height;
    if (hdr.known) {
        width = transposed ? hdr.height : hdr.width;
        height = transposed ? hdr.width : hdr.height;
    }
    r.widthToHeight = reduceRatio(width, height);
    const QSize thumb = fitEvenSize(width, height, kThumbWidth, kThumbHeight);
    if (thumb.width() <= 0 || thumb.height() <= 0)
        return failWith(QT_TR_NOOP("Image ratio is abnormal"), AVERROR(EINVAL),
                        QT_TR_NOOP("far too wide or too tall to show"));
    if (width > maxSideFor(hdr) || height > maxSideFor(hdr))
        return fail(QT_TR_NOOP("Image is too large"), AVERROR(EINVAL), tooLargeWords(hdr));

    if (!bJustCheck) {
        auto thumbnailWords = [](int code) {
            return code == AVERROR(ENOMEM) ? QT_TR_NOOP("not enough memory")
                                           : QT_TR_NOOP("its thumbnail cannot be made");
        };
        ret = convertPixelFormat(frame.get(), frame.get(), AV_PIX_FMT_BGRA);
        if (ret < 0)
            return failWith(QT_TR_NOOP("Image format conversion failed"), ret, thumbnailWords(ret));
        ret = scaleFrame(frame.get(), frame.get(), thumb.width(), thumb.height());
        if (ret < 0)
            return failWith(QT_TR_NOOP("Image zoom failed"), ret, thumbnailWords(ret));
        r.thumbnail = frameToImage(frame.get());
    }
    r.srcSize = QSize(width, height);
    if (hdr.kind == PictureHeader::Webp && hdr.frames > 1)
        r.notice = tr("an animated picture: only its first frame is shown");
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
    if (r.ok && !bJustCheck) {
        PictureFacts facts = readPictureFacts(szFile);
        // Looked for once per picture here, off the interface's thread; a clip has none.
        if (r.clip.duration <= 0)
            facts.faces = detectFaces(szFile);
        emit sig_factsRead(iRequest, szFile, facts);
    }
    emit sig_answered(iRequest, szFile, r.ok, pixmap, r.widthToHeight, r.srcSize,
                      r.ok ? r.notice : r.report);
}

void ImageDecoder::closeImpl(int iExitEcode)
{
    QThread::currentThread()->exit(iExitEcode);
}
