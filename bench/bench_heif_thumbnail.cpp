// The strip's thumbnail of a 12-megapixel phone photo: a HEIC that carries its own thumbnail
// against the same photo as a JPEG, through the picture decoder's check and 120 x 80 thumbnail.
//
// usage: bench_heif_thumbnail [--write DIR] [ROUNDS]
//   --write DIR  only writes DIR/photo12.heic and DIR/photo12.jpg (for timing them apart with
//                bench_import) and exits
//   ROUNDS       rounds of each, alternately (default 10); prints milliseconds per picture and
//                the ratio HEIC / JPEG
#include "benchphoto.h"
#include "benchstats.h"

#include "heifmedia.h"
#include "imagedecoder.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool writePhotos(const QString &dir, QString *heic, QString *jpeg)
{
    // A phone's 12 MP.
    const QImage img = noisyPhoto(4032, 3024, 12);
    *heic = QDir(dir).filePath(QStringLiteral("photo12.heic"));
    *jpeg = QDir(dir).filePath(QStringLiteral("photo12.jpg"));
    if (!img.save(*jpeg, "JPEG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(*jpeg));
        return false;
    }
    heifmedia::Picture p;
    p.thumbnailBox = 320; // as phones store them
    QString error;
    if (heifmedia::write(*heic, img, p, &error) != heifmedia::Written::Ok) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(*heic),
                     error.isEmpty() ? "no HEVC encoder" : qPrintable(error));
        return false;
    }
    return true;
}

double millisecondsFor(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    const ImageDecoder::Result r = ImageDecoder::decodeFile(path, false);
    if (!r.ok) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(r.report));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    QString heic, jpeg;
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--write")) {
        if (args.size() < 2 || !QDir().mkpath(args.at(1)))
            return 2;
        return writePhotos(args.at(1), &heic, &jpeg) ? 0 : 1;
    }
    const int rounds = std::max(1, args.value(0, QStringLiteral("10")).toInt());
    QTemporaryDir dir;
    if (!dir.isValid() || !writePhotos(dir.path(), &heic, &jpeg))
        return 1;
    millisecondsFor(heic); // the first use loads the decoders
    millisecondsFor(jpeg);
    std::vector<double> heicMs, jpegMs, ratios;
    for (int r = 0; r < rounds; ++r) {
        heicMs.push_back(millisecondsFor(heic));
        jpegMs.push_back(millisecondsFor(jpeg));
        ratios.push_back(heicMs.back() / jpegMs.back());
    }
    std::printf("12 MP thumbnail, median of %d: HEIC %.2f ms, JPEG %.2f ms, HEIC/JPEG %.2f "
                "(target: at most 1.5)\n",
                rounds, median(heicMs), median(jpegMs), median(ratios));
    return 0;
}
