// SPDX-License-Identifier: GPL-3.0-or-later
// Video clips: what the probe reads from phone-like files, and which frame a clip shows when.
#include "clipsource.h"
#include "framegraph.h"
#include "imagedecoder.h"

#include "../support/testmedia.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

namespace {

// The mean luma of a YUV frame's middle rows.
double meanLuma(const AVFrame *f)
{
    double sum = 0;
    int n = 0;
    for (int y = f->height / 4; y < f->height * 3 / 4; ++y)
        for (int x = f->width / 4; x < f->width * 3 / 4; ++x, ++n)
            sum += f->data[0][size_t(y) * f->linesize[0] + x];
    return n ? sum / n : 0;
}

// A clip whose frame n is a flat grey of luma 16 + 4n, losslessly kept, at `rate` frames a second.
QStringList countingClip(int rate, double seconds, const QString &extra = QString())
{
    QStringList args{QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("color=c=black:s=160x90:r=%1:d=%2")
                         .arg(QString::number(rate), QString::number(seconds)),
                     QStringLiteral("-vf"),
                     QStringLiteral("geq=lum='16+4*N':cb=128:cr=128") + extra,
                     QStringLiteral("-c:v"),
                     QStringLiteral("libx264"),
                     QStringLiteral("-qp"),
                     QStringLiteral("0"),
                     QStringLiteral("-pix_fmt"),
                     QStringLiteral("yuv420p")};
    return args;
}

} // namespace

class TstClipSource : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // A phone's clip: H.264 with AAC.
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=30:duration=2", "-f",
                        "lavfi", "-i", "sine=frequency=1000:duration=2", "-c:v", "libx264",
                        "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", path("phone.mp4")}));
        // Held upright: a landscape stream with a display matrix that turns it.
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=30:duration=1", "-c:v",
                        "libx264", "-pix_fmt", "yuv420p", path("stored.mp4")}));
        QVERIFY(ffmpeg({"-i", path("stored.mp4"), "-c", "copy", "-metadata:s:v:0", "rotate=90",
                        path("portrait.mp4")}));
        // HDR as phones record it: HEVC 10 bit, HLG, BT.2020, a mid-grey picture.
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "color=c=0x808080:s=320x180:r=30:d=1", "-pix_fmt",
                        "yuv420p10le", "-c:v", "libx265", "-x265-params",
                        "colorprim=bt2020:transfer=arib-std-b67:colormatrix=bt2020nc:log-level="
                        "error",
                        "-color_primaries", "bt2020", "-color_trc", "arib-std-b67", "-colorspace",
                        "bt2020nc", path("hlg.mp4")}));
        // VP9 with Opus, in WebM.
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=25:duration=1", "-f",
                        "lavfi", "-i", "sine=duration=1", "-c:v", "libvpx-vp9", "-deadline",
                        "realtime", "-c:a", "libopus", path("web.webm")}));
        QVERIFY(ffmpeg(countingClip(10, 4) << path("counting.mp4")));
        // Sound alone, a picture, and a clip cut off after its header.
        QVERIFY(writeMp3(path("song.mp3"), 1.0));
        QVERIFY(writeJpeg(path("photo.jpg"), 64, 48));
        QFile whole(path("phone.mp4"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(writeBytes(path("cut.mp4"), whole.read(whole.size() / 20)));
        QVERIFY(writeBytes(path("noise.mov"), QByteArray(4096, 'x')));
    }

    // What a clip is, read by content; what is not a clip is refused in plain words.
    void probe()
    {
        ClipProbe p;
        QString why;
        QCOMPARE(probeClip(path("phone.mp4"), &p, &why), 0);
        QVERIFY(qAbs(p.facts.duration - 2000000) < 100000);
        QVERIFY(p.facts.hasSound);
        QCOMPARE(p.upright, QSize(320, 180));
        QVERIFY(!p.hdr);
        QCOMPARE(p.codecName, QStringLiteral("h264"));

        QCOMPARE(probeClip(path("portrait.mp4"), &p), 0);
        QCOMPARE(p.upright, QSize(180, 320));
        QVERIFY(p.rotation == 90 || p.rotation == 270);
        QVERIFY(!p.facts.hasSound);

        QCOMPARE(probeClip(path("hlg.mp4"), &p), 0);
        QVERIFY(p.hdr);
        QCOMPARE(probeClip(path("web.webm"), &p), 0);
        QVERIFY(p.facts.hasSound);
        QCOMPARE(p.codecName, QStringLiteral("vp9"));

        QVERIFY(probeClip(path("song.mp3"), &p, &why) < 0);
        QCOMPARE(why, QStringLiteral("no picture in this file"));
        for (const char *bad : {"cut.mp4", "noise.mov", "missing.mp4"}) {
            QVERIFY2(probeClip(path(bad), &p, &why) < 0, bad);
            QCOMPARE(why, QStringLiteral("damaged clip"));
        }
        // A picture is never a clip, and its facts say so.
        QVERIFY(!looksLikeClip(path("photo.jpg")));
        QCOMPARE(clipFactsOf(path("photo.jpg")).duration, qint64(0));
        QVERIFY(clipFactsOf(path("phone.mp4")).duration > 0);
    }

    // The import's decoder takes a clip as an item with its upright size and a thumbnail.
    void importedAsAnItem()
    {
        const ImageDecoder::Result r = ImageDecoder::decodeFile(path("portrait.mp4"), false);
        QVERIFY2(r.ok, qPrintable(r.report));
        QCOMPARE(r.srcSize, QSize(180, 320));
        QVERIFY(r.thumbnail.height() > r.thumbnail.width());
        QVERIFY(r.clip.duration > 0);
        const ImageDecoder::Result bad = ImageDecoder::decodeFile(path("cut.mp4"), false);
        QVERIFY(!bad.ok);

        // A minute of a phone's 4K is hundreds of MiB: a film is not held to a picture's limit
        // on its file (here a Matroska file padded out, sparsely, to 80 MiB).
        QVERIFY(ffmpeg({"-i", path("stored.mp4"), "-c", "copy", path("long.mkv")}));
        QFile padded(path("long.mkv"));
        QVERIFY(padded.resize(80 << 20));
        const ImageDecoder::Result large = ImageDecoder::decodeFile(path("long.mkv"), false);
        QVERIFY2(large.ok, qPrintable(large.report));
        QVERIFY(large.clip.duration > 0);
    }

    // Step s of a life of L frames shows the file at in + (out - in) s / L; going back seeks.
    void framesFollowTrimAndSpeed()
    {
        ResolvedLook look;
        look.isClip = true;
        look.clipIn = 500000;
        look.clipOut = 2000000; // frames 5 .. 19 at 10 fps
        int error = 0;
        auto frames = ClipFrames::create(path("counting.mp4"), 160, 90, look, &error);
        QVERIFY2(frames, qPrintable(QString::number(error)));
        av::FramePtr f = av::makeFrame();
        const QList<int> order{0, 1, 2, 7, 14, 3, 3, 10, 0};
        for (int step : order) {
            QCOMPARE(frames->render(step, 15, f.get()), 0);
            QCOMPARE(f->width, 160);
            QCOMPARE(f->height, 90);
            QVERIFY2(
                qAbs(meanLuma(f.get()) - (16 + 4 * (5 + step))) < 2.5,
                qPrintable(QStringLiteral("step %1: luma %2")
                               .arg(QString::number(step), QString::number(meanLuma(f.get())))));
        }
        // Twice as fast: the same span in half the steps.
        for (int step : {0, 3, 6}) {
            QCOMPARE(frames->render(step, 7, f.get()), 0);
            const double expected = 16 + 4 * (5 + step * 15.0 / 7);
            QVERIFY(qAbs(meanLuma(f.get()) - expected) < 4.5);
        }
    }

    // A clip whose rate changes plays at its real speed: the frame shown is the one that started
    // last by then.
    void variableRateKeepsTime()
    {
        // Frames 0..9 at 10 fps, then 10..39 at 30 fps: two seconds in all.
        QVERIFY(ffmpeg(countingClip(30, 40 / 30.0,
                                    QStringLiteral(",setpts='if(lt(N,10),N/10,1+(N-10)/30)/TB'"))
                       << QStringLiteral("-fps_mode") << QStringLiteral("passthrough")
                       << QStringLiteral("-video_track_timescale") << QStringLiteral("600")
                       << path("vfr.mp4")));
        ClipProbe p;
        QCOMPARE(probeClip(path("vfr.mp4"), &p), 0);
        ResolvedLook look;
        look.isClip = true;
        look.clipOut = 2000000;
        auto frames = ClipFrames::create(path("vfr.mp4"), 160, 90, look, nullptr);
        QVERIFY(frames);
        av::FramePtr f = av::makeFrame();
        // 40 steps over 2 s: at 0.5 s the slow part's sixth frame; at 1.5 s the fast part's
        // sixteenth; at 0.95 s still the slow part's tenth.
        for (const auto &[step, frame] : {std::pair{10, 5}, std::pair{30, 25}, std::pair{19, 9}}) {
            QCOMPARE(frames->render(step, 40, f.get()), 0);
            QVERIFY2(qAbs(meanLuma(f.get()) - (16 + 4 * frame)) < 2.5,
                     qPrintable(QString::number(meanLuma(f.get()))));
        }
    }

    // Upright, letterboxed like a picture; HDR mapped so that mid-grey stays mid-grey.
    void shownUprightAndInSdr()
    {
        ResolvedLook look;
        look.isClip = true;
        look.clipOut = 500000;
        auto frames = ClipFrames::create(path("portrait.mp4"), 320, 180, look, nullptr);
        QVERIFY(frames);
        av::FramePtr f = av::makeFrame();
        QCOMPARE(frames->render(0, 10, f.get()), 0);
        QCOMPARE(f->format, int(AV_PIX_FMT_YUV420P));
        // A 9:16 picture in a 16:9 frame: black bars left and right.
        const LetterboxGeometry box = letterboxGeometry(180, 320, 320, 180);
        QVERIFY(box.x > 0);
        QCOMPARE(f->data[0][90 * f->linesize[0] + 2], uint8_t(16));
        QVERIFY(f->data[0][90 * f->linesize[0] + 160] > 16);

        auto hdr = ClipFrames::create(path("hlg.mp4"), 320, 180, look, nullptr);
        QVERIFY(hdr);
        QCOMPARE(hdr->render(3, 10, f.get()), 0);
        // The same grey in SDR is 126 in video range.
        QVERIFY2(qAbs(meanLuma(f.get()) - 126) < 12,
                 qPrintable(QString::number(meanLuma(f.get()))));
        QCOMPARE(f->color_range, AVCOL_RANGE_MPEG);
    }

    // An untagged film is BT.709 when HD and BT.601 when not, as players read them; an HD film
    // already of the drawn size and matrix reaches the frame untouched.
    void colourMatrixOfUntaggedFilms()
    {
        auto flat = [this](const char *size, const char *name) {
            return ffmpeg({"-f", "lavfi", "-i",
                           QStringLiteral("color=c=black:s=%1:r=25:d=0.2,"
                                          "geq=lum=100:cb=50:cr=220")
                               .arg(QLatin1String(size)),
                           "-c:v", "libx264", "-qp", "0", "-pix_fmt", "yuv420p", path(name)});
        };
        QVERIFY(flat("1280x720", "hd.mp4"));
        QVERIFY(flat("640x360", "sd.mp4"));
        ResolvedLook look;
        look.isClip = true;
        look.clipOut = 100000;
        auto middle = [](const AVFrame *f, int plane) {
            const int shift = plane ? 1 : 0;
            return int(f->data[plane][size_t(f->height >> (shift + 1)) * f->linesize[plane] +
                                      (f->width >> (shift + 1))]);
        };
        av::FramePtr f = av::makeFrame();
        for (const QSize size : {QSize(1280, 720), QSize(640, 360)}) {
            auto hd = ClipFrames::create(path("hd.mp4"), size.width(), size.height(), look,
                                         nullptr);
            QVERIFY(hd);
            QCOMPARE(hd->render(1, 5, f.get()), 0);
            QVERIFY2(qAbs(middle(f.get(), 0) - 100) <= 1 && qAbs(middle(f.get(), 1) - 50) <= 1 &&
                         qAbs(middle(f.get(), 2) - 220) <= 1,
                     qPrintable(QStringLiteral("%1 %2 %3")
                                    .arg(middle(f.get(), 0))
                                    .arg(middle(f.get(), 1))
                                    .arg(middle(f.get(), 2))));
        }
        auto sd = ClipFrames::create(path("sd.mp4"), 640, 360, look, nullptr);
        QVERIFY(sd);
        QCOMPARE(sd->render(1, 5, f.get()), 0);
        QVERIFY2(qAbs(middle(f.get(), 2) - 220) > 3, qPrintable(QString::number(middle(f.get(), 2))));
    }

    // A draft decodes at a reduced size where the decoder can, never below the size drawn, and
    // shows the same picture as a whole decode scaled down.
    void draftDecodesSmaller()
    {
        QCOMPARE(clipLowres(3, QSize(1920, 1080), QSize(480, 270)), 2);
        QCOMPARE(clipLowres(3, QSize(1920, 1080), QSize(481, 270)), 1);
        QCOMPARE(clipLowres(3, QSize(1920, 1080), QSize(100, 56)), 3);
        QCOMPARE(clipLowres(0, QSize(1920, 1080), QSize(100, 56)), 0);
        QCOMPARE(clipLowres(3, QSize(640, 360), QSize(640, 360)), 0);

        // MPEG-4 part 2 decodes at a quarter of the size; the scale to 160 x 90 follows.
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25:duration=1", "-c:v",
                        "mpeg4", "-q:v", "2", path("draft.avi")}));
        ResolvedLook look;
        look.isClip = true;
        look.clipOut = 1000000;
        av::FramePtr whole = av::makeFrame(), draft = av::makeFrame();
        auto full = ClipFrames::create(path("draft.avi"), 160, 90, look, nullptr);
        look.draft = true;
        auto reduced = ClipFrames::create(path("draft.avi"), 160, 90, look, nullptr);
        QVERIFY(full && reduced);
        QCOMPARE(full->render(12, 25, whole.get()), 0);
        QCOMPARE(reduced->render(12, 25, draft.get()), 0);
        QCOMPARE(draft->width, 160);
        QCOMPARE(draft->height, 90);
        double error = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 160; ++x)
                error += std::abs(whole->data[0][y * whole->linesize[0] + x] -
                                  draft->data[0][y * draft->linesize[0] + x]);
        QVERIFY2(error / (160 * 90) < 6, qPrintable(QString::number(error / (160 * 90))));
    }
};

QTEST_GUILESS_MAIN(TstClipSource)
#include "tst_clipsource.moc"
