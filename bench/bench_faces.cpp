// Face detection per 12-megapixel photo: the reduced decode and the detector, as the import's
// worker runs them (the cache left out), and the detector alone on the reduced copy.
//
// usage: bench_faces [ROUNDS]   (default 10) prints the medians in milliseconds per picture.
// The photo is opencv-doc's sample portrait placed on noise when that package is installed,
// noise alone otherwise.
#include "benchphoto.h"
#include "benchstats.h"

#include "facedetect.h"
#include "framegraph.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QImage photo(bool *withFace)
{
    QImage img = noisyPhoto(4000, 3000, 7);
    const QImage face(QStringLiteral("/usr/share/doc/opencv-doc/opencv4/html/face_swapped.jpg"));
    *withFace = !face.isNull();
    if (*withFace) {
        QPainter painter(&img);
        painter.drawImage(QRect(2800, 600, 1000, 1000), face);
    }
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const int rounds = std::max(1, app.arguments().value(1, QStringLiteral("10")).toInt());
    QTemporaryDir dir;
    bool withFace = false;
    const QString path = dir.filePath(QStringLiteral("photo12.jpg"));
    if (!dir.isValid() || !photo(&withFace).save(path, "JPEG", 90))
        return 1;
    av::FramePtr reduced = av::makeFrame();
    if (!reduced || decodePictureFile(path, reduced.get(), 2) < 0)
        return 1;
    int found = 0;
    std::vector<double> whole, detector;
    for (int r = 0; r < rounds + 1; ++r) {
        // A fresh cache each round, so that every round looks at the picture.
        const QString cache = dir.filePath(QStringLiteral("cache%1").arg(r));
        QElapsedTimer timer;
        timer.start();
        found = detectFaces(path, cache).size();
        const double a = timer.nsecsElapsed() / 1e6;
        timer.restart();
        detectFacesInFrame(reduced.get());
        const double b = timer.nsecsElapsed() / 1e6;
        if (r > 0) { // the first builds the detector
            whole.push_back(a);
            detector.push_back(b);
        }
    }
    std::printf("12 MP photo%s, median of %d: decode and detect %.1f ms, detector alone on "
                "%dx%d %.1f ms (target: under 150), %d face(s) found\n",
                withFace ? " with a face" : " (no sample face installed)", rounds, median(whole),
                reduced->width, reduced->height, median(detector), found);
    return 0;
}
