// vmalbum-export as a user runs it: exit codes, messages and what is left on disk.
#include "albumfile.h"
#include "facedetect.h"
#include "framegraph.h"
#include "musicformats.h"
#include "probe.h"
#include "testexif.h"
#include "testmedia.h"

#include <QBuffer>

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>

namespace {

// True once the process catches `signo` (its handlers are in place), from /proc.
bool catches(qint64 pid, int signo)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signo - 1)) & 1;
    return false;
}

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run exporter(const QStringList &args, const QString &cwd = QString())
{
    QProcess p;
    if (!cwd.isEmpty())
        p.setWorkingDirectory(cwd);
    p.start(QStringLiteral(VMALBUM_EXPORT), args);
    Run r;
    if (!p.waitForFinished(300000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The amplitude of the `freq` Hz sinusoid in `window` seconds of mono sound from `at` seconds.
double toneLevel(const QVector<float> &s, int rate, double freq, double at, double window = 0.2)
{
    const int from = int(at * rate);
    const int n = int(window * rate);
    double re = 0;
    double im = 0;
    for (int i = 0; i < n && from + i < s.size(); ++i) {
        const double phase = 2 * M_PI * freq * i / rate;
        re += s[from + i] * std::cos(phase);
        im -= s[from + i] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / n;
}

QByteArray contents(const QString &szPath)
{
    QFile f(szPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestExportCli : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString good1, good2, odd, broken, percent, cut;

    QStringList parts() const
    {
        return QDir(dir.path())
            .entryList(QStringList{QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase()
    {
        good1 = dir.filePath(QStringLiteral("holiday photo ü.jpg"));
        good2 = dir.filePath(QStringLiteral("-beach.png"));
        odd = dir.filePath(QStringLiteral("strip.png"));
        broken = dir.filePath(QStringLiteral("broken.jpg"));
        QVERIFY(testmedia::writeJpeg(good1, 640, 480));
        QVERIFY(testmedia::pattern(300, 400).save(good2));
        QVERIFY(testmedia::pattern(4097, 10).save(odd));
        QVERIFY(testmedia::writeBytes(broken, "not a picture"));
        // Names that a chained QString::arg() would rewrite.
        percent = dir.filePath(QStringLiteral("frame%03d %1 %2.jpg"));
        QVERIFY(testmedia::writeJpeg(percent, 320, 240));
        // A JPEG that ends before its last rows: the decoder would make them up.
        cut = dir.filePath(QStringLiteral("cut.jpg"));
        QFile whole(good1);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(testmedia::writeBytes(cut, whole.readAll().chopped(300)));
    }

    void helpAndUsage()
    {
        Run r = exporter({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        for (const char *word : {"-o FILE", "--check", "--watermark-position", "--seed",
                                 "--fade-out", "--fit-to-music", "Exit status"})
            QVERIFY2(r.out.contains(QLatin1String(word)), word);
        r = exporter({good1, QStringLiteral("-o"), dir.filePath(QStringLiteral("a.mpg"))});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("must end in")));
        r = exporter({});
        QCOMPARE(r.code, 2);
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral("a.*")}).isEmpty());
    }

    void checkMode()
    {
        Run r = exporter({QStringLiteral("--check"), good1, QStringLiteral("--"), good2});
        QCOMPARE(r.code, 0);
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0), QStringLiteral("OK\t%1\t640x480\t4/3\t106x80").arg(good1));
        QCOMPARE(lines.at(1), QStringLiteral("OK\t%1\t300x400\t3/4\t60x80").arg(good2));
        r = exporter({QStringLiteral("--check"), good1, odd, broken, cut});
        QCOMPARE(r.code, 3);
        lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("OK\t")));
        // The engine's report, then the plain words.
        QCOMPARE(lines.at(1), QStringLiteral("REFUSED\t%1\tImage ratio is abnormal(Invalid "
                                             "argument) — far too wide or too tall to show")
                                  .arg(odd));
        QCOMPARE(
            lines.at(2),
            QStringLiteral("REFUSED\t%1\tImage decode failed(Invalid data found "
                           "when processing input) — not a JPEG, PNG, HEIC, AVIF or WebP picture")
                .arg(broken));
        QCOMPARE(lines.at(3), QStringLiteral("REFUSED\t%1\tImage decode failed(Invalid data found "
                                             "when processing input) — damaged picture")
                                  .arg(cut));
        // The refusal says it all: FFmpeg's own lines only with -v.
        QVERIFY2(!r.err.contains(QStringLiteral(" @ 0x")), qPrintable(r.err)); // "[mjpeg @ 0x…]"
        r = exporter({QStringLiteral("-v"), QStringLiteral("--check"), broken});
        QVERIFY2(r.err.contains(QStringLiteral("@ 0x")), qPrintable(r.err));
        // A name holding %1, %2 and %03d comes out as it is.
        r = exporter({QStringLiteral("--check"), percent});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString(QStringLiteral("OK\t") + percent +
                                QStringLiteral("\t320x240\t4/3\t106x80\n")));
    }

    void exportsAndSkipsRefusedPictures()
    {
        // Relative names, a leading dash after "--", an upper-case extension, % in the name.
        const Run r = exporter({QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-d"),
                                QStringLiteral("1"), QStringLiteral("--fps"), QStringLiteral("25"),
                                QStringLiteral("-o"), QStringLiteral("My %1 Album %03d.MP4"),
                                QStringLiteral("holiday photo ü.jpg"), QStringLiteral("broken.jpg"),
                                QStringLiteral("--"), QStringLiteral("-beach.png")},
                               dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(QStringLiteral("skipping broken.jpg: Image decode failed(")),
                 qPrintable(r.err));
        QVERIFY2(
            r.err.contains(QStringLiteral(") — not a JPEG, PNG, HEIC, AVIF or WebP picture\n")),
            qPrintable(r.err));
        const QString written = dir.filePath(QStringLiteral("My %1 Album %03d.mp4"));
        QVERIFY(QFileInfo(written).size() > 1000);
        QVERIFY2(r.err.contains(QStringLiteral("wrote ") + written +
                                QStringLiteral(" (2 pictures, 852 x 480, 25 fps) in ")),
                 qPrintable(r.err));
        QVERIFY(parts().isEmpty());
    }

    // A GIF asked for at 60 fps is written at 50, with a note, and its frames last 2/100 s each.
    void gifAtSixtyIsWrittenAtFifty()
    {
        const QString out = dir.filePath(QStringLiteral("sixty.gif"));
        const Run r = exporter({QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-d"),
                                QStringLiteral("1"), QStringLiteral("--fps"), QStringLiteral("60"),
                                QStringLiteral("-o"), out, good1});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(QStringLiteral("note: GIF is written at 50 fps, not 60")),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral(", 50 fps) in ")), qPrintable(r.err));
        const QVector<probe::Packet> frames =
            probe::packets(out, AVMEDIA_TYPE_VIDEO, nullptr, "min_delay=0");
        QCOMPARE(frames.size(), 50);
        for (const probe::Packet &p : frames)
            QCOMPARE(p.duration, int64_t(2));
        // Rates GIF can keep are kept, without a note.
        const Run kept = exporter(
            {QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-d"), QStringLiteral("1"),
             QStringLiteral("--fps"), QStringLiteral("25"), QStringLiteral("-o"), out, good1});
        QCOMPARE(kept.code, 0);
        QVERIFY2(!kept.err.contains(QStringLiteral("note:")), qPrintable(kept.err));
        QCOMPARE(probe::packets(out, AVMEDIA_TYPE_VIDEO).size(), 25);
    }

    void exitCodes()
    {
        // No usable picture: 3, nothing written.
        Run r =
            exporter({odd, broken, QStringLiteral("-o"), dir.filePath(QStringLiteral("none.mp4"))});
        QCOMPARE(r.code, 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.mp4"))));
        // The export fails: 1 with the engine's report naming the cause and the folder, nothing
        // left behind.
        r = exporter({good1, QStringLiteral("-o"), dir.filePath(QStringLiteral("missing/x.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("export failed: Create output file failed(No such "
                                               "file or directory) — %1\n")
                                    .arg(dir.filePath(QStringLiteral("missing")))),
                 qPrintable(r.err));
        // Music that is no sound at all, named .mp3: found readable, then refused by the engine.
        const QString words = dir.filePath(QStringLiteral("words.mp3"));
        QVERIFY(testmedia::writeBytes(words, QByteArray("not a song\n").repeated(200)));
        r = exporter({good1, QStringLiteral("-m"), words, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("words.mp4"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("export failed: Open mp3 file failed(")),
                 qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("words.mp4"))));
        // A music or watermark file that cannot be read is a usage error naming it, found
        // before any picture is looked at (the broken one would be reported as skipped).
        const QString folder = dir.filePath(QStringLiteral("a folder.mp3"));
        QVERIFY(QDir(dir.path()).mkpath(folder));
        const QString nosong = dir.filePath(QStringLiteral("nosong.mp3"));
        const QString nomark = dir.filePath(QStringLiteral("nomark.png"));
        const QList<QStringList> unreadable = {{QStringLiteral("-m"), nosong},
                                               {QStringLiteral("-m"), folder},
                                               {QStringLiteral("--watermark-image"), nomark}};
        for (const QStringList &option : unreadable) {
            r = exporter(
                QStringList{broken, good1} + option +
                QStringList{QStringLiteral("-o"), dir.filePath(QStringLiteral("song.mp4"))});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains(QLatin1Char('"') + option.at(1) + QLatin1Char('"')),
                     qPrintable(r.err));
            QVERIFY2(!r.err.contains(QStringLiteral("skipping")), qPrintable(r.err));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("song.mp4"))));
        }
        // A refused watermark picture is a usage error too, and so is a film given as one.
        r = exporter({good1, QStringLiteral("--watermark-image"), broken, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("w.mp4"))});
        QCOMPARE(r.code, 2);
        QVERIFY(parts().isEmpty());
        const QString film = dir.filePath(QStringLiteral("mark.mp4"));
        QVERIFY(testmedia::ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x90:rate=25:duration=0.4",
                                   "-c:v", "libx264", "-pix_fmt", "yuv420p", film}));
        r = exporter({good1, QStringLiteral("--watermark-image"), film, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("w.mp4"))});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("a video clip, not a picture")), qPrintable(r.err));
    }

    // Options → album file → export gives the video the options give directly, and the file
    // keeps every choice.
    void albumRoundTrip()
    {
        const QString song = dir.filePath(QStringLiteral("song.mp3"));
        QVERIFY(testmedia::writeMp3(song, 2.0));
        const QStringList options = {QStringLiteral("-d"),
                                     QStringLiteral("1"),
                                     QStringLiteral("-H"),
                                     QStringLiteral("480"),
                                     QStringLiteral("-r"),
                                     QStringLiteral("4:3"),
                                     QStringLiteral("--fps"),
                                     QStringLiteral("25"),
                                     QStringLiteral("--seed"),
                                     QStringLiteral("7"),
                                     QStringLiteral("-m"),
                                     song,
                                     QStringLiteral("--watermark-text"),
                                     QStringLiteral("Summer %1 \"x\""),
                                     QStringLiteral("--watermark-position"),
                                     QStringLiteral("RightBottom"),
                                     QStringLiteral("--watermark-color"),
                                     QStringLiteral("#FF8800"),
                                     QStringLiteral("--watermark-font"),
                                     QStringLiteral("DejaVu Sans"),
                                     QStringLiteral("--video-bitrate"),
                                     QStringLiteral("384"),
                                     QStringLiteral("--audio-bitrate"),
                                     QStringLiteral("96"),
                                     QStringLiteral("--sample-rate"),
                                     QStringLiteral("22050"),
                                     QStringLiteral("-q")};
        const QStringList pictures = {QStringLiteral("--"), good1, percent, good2};
        const QString direct = dir.filePath(QStringLiteral("direct.mp4"));
        Run r = exporter(options + QStringList{QStringLiteral("-o"), direct} + pictures);
        QCOMPARE(r.code, 0);

        const QString album = dir.filePath(QStringLiteral("trip.vmalbum"));
        const QString rendered = dir.filePath(QStringLiteral("from album.mp4"));
        r = exporter(
            QStringList{QStringLiteral("--save-album"), album, QStringLiteral("-o"), rendered} +
            options.mid(0, options.size() - 1) + pictures);
        QCOMPARE(r.code, 0);
        QVERIFY2(
            // Not the last line under LeakSanitizer, which adds its statistics at exit.
            r.err.contains(QStringLiteral("vmalbum-export: wrote %1 (3 pictures)\n").arg(album)),
            qPrintable(r.err));
        QVERIFY(!QFile::exists(rendered)); // saved, not rendered
        // Beside the album, the pictures are stored by their names alone.
        QVERIFY(contents(album).contains("{\"file\": \"-beach.png\"}"));

        const AlbumReadResult read = readAlbumFile(album);
        QVERIFY2(read.ok, qPrintable(read.error));
        const StoredAlbum &a = read.album;
        QCOMPARE(a.pictures, (QList<AlbumPicture>{{good1, 7}, {percent, 10}, {good2, -1}}));
        QCOMPARE(a.transitionStart, 7);
        QCOMPARE(a.durationSeconds, 1);
        QCOMPARE(a.ratio, QStringLiteral("4:3"));
        QCOMPARE(a.height, QStringLiteral("480P"));
        QCOMPARE(a.music, song);
        QCOMPARE(a.watermarkType, int(WatermarkText));
        QCOMPARE(a.watermarkText, QStringLiteral("Summer %1 \"x\""));
        QCOMPARE(a.watermarkFamily, QStringLiteral("DejaVu Sans"));
        QCOMPARE(a.watermarkPixelSize, 24);
        QCOMPARE(a.watermarkColor, QColor(0xff, 0x88, 0x00));
        QCOMPARE(a.watermarkPosition, int(RightBottom));
        QVERIFY(a.exportChoices == (AlbumExportChoices{QStringLiteral("MP4"), 25, 384, 96, 22050,
                                                       dir.path(), QStringLiteral("from album")}));

        // Without -o the video goes where the album's export settings say.
        r = exporter({album, QStringLiteral("-q")});
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo(direct).size() > 1000);
        QVERIFY(contents(rendered) == contents(direct));
    }

    // A folder of photos with its album, moved elsewhere, renders the same video.
    void movedAlbumRendersTheSame()
    {
        const QString before = dir.filePath(QStringLiteral("trip-a"));
        QVERIFY(QDir().mkpath(before + QStringLiteral("/photos")));
        QVERIFY(QFile::copy(good1, before + QStringLiteral("/photos/one.jpg")));
        QVERIFY(QFile::copy(good2, before + QStringLiteral("/photos/two.png")));
        QVERIFY(testmedia::writeMp3(before + QStringLiteral("/song.mp3"), 1.0));
        Run r = exporter({QStringLiteral("--save-album"), before + QStringLiteral("/a.vmalbum"),
                          QStringLiteral("-m"), before + QStringLiteral("/song.mp3"),
                          QStringLiteral("-d"), QStringLiteral("1"), QStringLiteral("-H"),
                          QStringLiteral("480"), before + QStringLiteral("/photos/one.jpg"),
                          before + QStringLiteral("/photos/two.png")});
        QCOMPARE(r.code, 0);
        QVERIFY(
            !contents(before + QStringLiteral("/a.vmalbum")).contains(QFile::encodeName(before)));
        const QString first = dir.filePath(QStringLiteral("before.mp4"));
        r = exporter({before + QStringLiteral("/a.vmalbum"), QStringLiteral("-o"), first});
        QCOMPARE(r.code, 0);
        const QString after = dir.filePath(QStringLiteral("moved/trip-b"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("moved"))));
        QVERIFY(QDir().rename(before, after));
        const QString second = dir.filePath(QStringLiteral("after.mp4"));
        r = exporter({after + QStringLiteral("/a.vmalbum"), QStringLiteral("-o"), second});
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo(first).size() > 1000);
        QVERIFY(contents(first) == contents(second));
    }

    // An album reached through a link: its pictures are found beside the real file, and
    // --save-album through the link writes the real file and keeps the link.
    void albumThroughALink()
    {
        const QString shelf = dir.filePath(QStringLiteral("shelf"));
        const QString desk = dir.filePath(QStringLiteral("desk"));
        QVERIFY(QDir().mkpath(shelf) && QDir().mkpath(desk));
        const QString picture = shelf + QStringLiteral("/one.jpg");
        QVERIFY(QFile::copy(good1, picture));
        const QString real = shelf + QStringLiteral("/trip.vmalbum");
        QVERIFY(testmedia::writeBytes(
            real, R"({"velmoraalbum": 1, "duration": 1, "pictures": [{"file": "one.jpg"}]})"));
        const QString link = desk + QStringLiteral("/trip.vmalbum");
        QVERIFY(QFile::link(QStringLiteral("../shelf/trip.vmalbum"), link));

        Run r = exporter({link, QStringLiteral("-q"), QStringLiteral("-H"), QStringLiteral("480"),
                          QStringLiteral("-o"), dir.filePath(QStringLiteral("linked.mp4"))});
        QVERIFY2(r.code == 0, qPrintable(r.err));

        r = exporter({QStringLiteral("--save-album"), link, QStringLiteral("-d"),
                      QStringLiteral("2"), picture, good2});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY2(contents(real).contains("{\"file\": \"one.jpg\", "), contents(real).constData());
        const AlbumReadResult back = readAlbumFile(link);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(back.album.durationSeconds, 2);
        QCOMPARE(back.album.pictures,
                 (QList<AlbumPicture>{AlbumPicture{picture, back.album.pictures[0].transitionRow},
                                      AlbumPicture{good2, -1}}));
    }

    // An album whose pictures have their own timing renders it: a cut after the first, half a
    // second for the second (and for the slot after it), at the album's 24 frames a second.
    void albumWithPictureTiming()
    {
        const QString album = dir.filePath(QStringLiteral("timed.vmalbum"));
        QFile f(album);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(R"({"velmoraalbum": 1, "duration": 1, "pictures": [
            {"file": "%1", "transition": {"kind": "none"}},
            {"file": "%2", "duration": 0.5, "transition": {"kind": "wipeleft", "chosen": true}},
            {"file": "%1"}], "height": "480P", "export": {"fps": 24}})")
                    .arg(good1, good2)
                    .toUtf8());
        f.close();
        const QString out = dir.filePath(QStringLiteral("timed.mp4"));
        const Run r = exporter({album, QStringLiteral("-q"), QStringLiteral("-o"), out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const auto streams = probe::streams(out);
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        QCOMPARE(v->packets, qint64(24 + 12 + 12 + 24));
    }

    // A trimmed clip between two pictures plays its own frames in order, and the transition out
    // of it is drawn from its last frames; a portrait clip stands upright in a 9:16 album.
    void clipsAmongPictures()
    {
        const QString clip = dir.filePath(QStringLiteral("counting.mp4"));
        // Frame n of the clip is a flat grey of luma 16 + n, at 25 fps, 6 s.
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=black:s=320x180:r=25:d=6"), QStringLiteral("-vf"),
             QStringLiteral("geq=lum='16+N':cb=128:cr=128"), QStringLiteral("-c:v"),
             QStringLiteral("libx264"), QStringLiteral("-qp"), QStringLiteral("0"),
             QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), clip}));
        const QString black = dir.filePath(QStringLiteral("black.png"));
        QImage dark(320, 180, QImage::Format_RGB32);
        dark.fill(Qt::black);
        QVERIFY(dark.save(black));
        const QString album = dir.filePath(QStringLiteral("clips.vmalbum"));
        QFile f(album);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(R"({"velmoraalbum": 1, "duration": 1, "pictures": [
            {"file": "%1", "transition": {"kind": "none"}},
            {"file": "%2", "clip": {"in": 1, "out": 5},
             "transition": {"kind": "wipeleft", "seconds": 1, "chosen": true}},
            {"file": "%3"}], "height": "480P", "export": {"fps": 25}})")
                    .arg(good1, clip, black)
                    .toUtf8());
        f.close();
        const QString out = dir.filePath(QStringLiteral("clips.mp4"));
        const Run r = exporter({album, QStringLiteral("-q"), QStringLiteral("-o"), out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const auto streams = probe::streams(out);
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        // 1 s picture, the clip's 4 s holding the 1 s transition out, 1 s picture.
        QCOMPARE(v->packets, qint64(25 + 100 + 25));
        // Luma of the brighter quarter at each side (the wipe covers one of them last).
        const auto luma = [&out](int index) {
            const QImage frame = probe::videoFrame(out, index);
            double best = 0;
            for (int x0 : {0, frame.width() * 3 / 4}) {
                double sum = 0;
                int n = 0;
                for (int y = frame.height() / 4; y < frame.height() * 3 / 4; y += 4)
                    for (int x = x0; x < x0 + frame.width() / 4; x += 4, ++n)
                        sum += qGray(frame.pixel(x, y));
                best = std::max(best, 16 + sum / n * 219 / 255);
            }
            return best;
        };
        // The clip from its second 1 on, frame by frame, through the start of the transition.
        for (int k : {0, 1, 2, 37, 74, 75, 80, 85}) {
            const double expected = 16 + 25 + k;
            QVERIFY2(qAbs(luma(25 + k) - expected) < 3,
                     qPrintable(QStringLiteral("frame %1: %2, not %3")
                                    .arg(QString::number(25 + k), QString::number(luma(25 + k)),
                                         QString::number(expected))));
        }
        // --check names the clip as an item with its size.
        const Run check = exporter({QStringLiteral("--check"), clip});
        QCOMPARE(check.code, 0);
        QVERIFY2(check.out.contains(QStringLiteral("OK\t%1\t320x180\t16/9").arg(clip)),
                 qPrintable(check.out));
    }

    // A clip's sound at its place over the music, which ducks under it or pauses and goes on
    // where it stopped; without music the clips' sound alone; none in an M4V.
    void clipSoundUnderMusic()
    {
        const QString clip = dir.filePath(QStringLiteral("singing.mp4"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("color=c=gray:s=320x180:r=25:d=6"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("sine=frequency=440:sample_rate=48000:duration=6"),
             QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-c:a"),
             QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("192k"), clip}));
        // 1000 Hz for its first 5 s, then 1500 Hz: its pitch tells how far it has played.
        const QString music = dir.filePath(QStringLiteral("two pitches.wav"));
        QVERIFY(testmedia::writeSound(
            music, QStringLiteral("0.4*sin(2*PI*if(lt(t,5),1000,1500)*t)"), 44100, 30,
            {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}));
        const auto exportWith = [&](const QString &musicJson, const QString &name) {
            const QString album = dir.filePath(name + QStringLiteral(".vmalbum"));
            QFile f(album);
            f.open(QIODevice::WriteOnly);
            f.write(QStringLiteral(R"({"velmoraalbum": 1, "duration": 2, "pictures": [
                {"file": "%1", "transition": {"kind": "none"}},
                {"file": "%2", "transition": {"kind": "none"}},
                {"file": "%1"}], %3 "height": "480P", "export": {"fps": 25}})")
                        .arg(good1, clip, musicJson)
                        .toUtf8());
            f.close();
            return album;
        };
        const QString musicFile = QStringLiteral(R"("music": {"file": "%1"%2}, )");
        // Picture 0-2 s, clip 2-8 s, picture 8-10 s.
        struct Case
        {
            QString name;
            QString music;
        };
        for (const Case &c : {Case{QStringLiteral("ducked"), musicFile.arg(music, QString())},
                              Case{QStringLiteral("paused"),
                                   musicFile.arg(music, QStringLiteral(R"(, "duck": "pause")"))},
                              Case{QStringLiteral("clips only"), QString()}}) {
            const QString out = dir.filePath(c.name + QStringLiteral(".mp4"));
            const Run r = exporter(
                {exportWith(c.music, c.name), QStringLiteral("-q"), QStringLiteral("-o"), out});
            QVERIFY2(r.code == 0, qPrintable(r.err));
            int rate = 0;
            const QVector<float> sound = probe::audioMono(out, &rate);
            QVERIFY2(sound.size() > 9 * rate, qPrintable(c.name));
            const double before = toneLevel(sound, rate, 1000, 1.0);
            const auto say = [&c](const char *what, double level) {
                return qPrintable(QStringLiteral("%1: %2 %3").arg(c.name, what).arg(level));
            };
            // The clip sings in its middle and not before it.
            QVERIFY2(toneLevel(sound, rate, 440, 5.0) > 0.1,
                     say("clip", toneLevel(sound, rate, 440, 5.0)));
            QVERIFY2(toneLevel(sound, rate, 440, 1.0) < 0.01,
                     say("before the clip", toneLevel(sound, rate, 440, 1.0)));
            if (c.music.isEmpty()) {
                QVERIFY2(before < 0.01, say("music", before));
                continue;
            }
            QVERIFY2(before > 0.1, say("music", before));
            const double under = toneLevel(sound, rate, 1000, 4.0);
            if (c.name == QLatin1String("ducked")) {
                // 12 dB down, and back afterwards at the music's own time (1500 Hz at 9 s).
                const double db = 20 * std::log10(under / before);
                QVERIFY2(qAbs(db + 12) < 1, say("ducked by dB", db));
                QVERIFY2(toneLevel(sound, rate, 1500, 9.0) > 0.8 * before, say("after", 0));
            } else {
                // Silent under the clip, then on from where it stopped: 5 s of it stood still,
                // so at 9 s it plays its fourth second, still at 1000 Hz.
                QVERIFY2(under < 0.01 * before, say("paused", under));
                const double after = toneLevel(sound, rate, 1000, 9.0);
                QVERIFY2(after > 0.8 * before, say("resumed", after));
                QVERIFY2(toneLevel(sound, rate, 1500, 9.0) < 0.05, say("skipped on", 0));
            }
        }
        // --duck on the command line: decibels or "pause", with music only.
        const QString out = dir.filePath(QStringLiteral("duck.mp4"));
        for (const QStringList &bad :
             {QStringList{QStringLiteral("-m"), music, QStringLiteral("--duck"),
                          QStringLiteral("41")},
              QStringList{QStringLiteral("--duck"), QStringLiteral("pause")}}) {
            const Run refused = exporter(QStringList{QStringLiteral("-o"), out, good1} + bad);
            QVERIFY2(refused.code == 2 && refused.err.contains(QStringLiteral("--duck")),
                     qPrintable(refused.err));
        }
        const QString saved = dir.filePath(QStringLiteral("duck.vmalbum"));
        const Run save = exporter({QStringLiteral("-q"), QStringLiteral("--save-album"), saved,
                                   good1, clip, QStringLiteral("-m"), music,
                                   QStringLiteral("--duck"), QStringLiteral("pause")});
        QVERIFY2(save.code == 0, qPrintable(save.err));
        QVERIFY2(contents(saved).contains(R"("duck": "pause")"), contents(saved).constData());
        // M4V is written without sound, even the clips'.
        const QString m4v = dir.filePath(QStringLiteral("clips.m4v"));
        const Run r = exporter({exportWith(QString(), QStringLiteral("m4v")), QStringLiteral("-q"),
                                QStringLiteral("-o"), m4v});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const auto streams = probe::streams(m4v);
        QVERIFY(probe::first(streams, AVMEDIA_TYPE_VIDEO));
        QVERIFY(!probe::first(streams, AVMEDIA_TYPE_AUDIO));
    }

    // Looks from the command line and the album: the same frames counted, another picture;
    // a bad value is a usage error; --save-album keeps them.
    void looksFromOptionsAndAlbum()
    {
        const QString album = dir.filePath(QStringLiteral("looks.vmalbum"));
        QFile f(album);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(R"({"velmoraalbum": 1, "duration": 1, "pictures": [
            {"file": "%1", "motion": {"preset": "zoom-in"}, "caption": {"text": "Sea"}},
            {"file": "%2", "motion": {"from": [0, 0, 0.5, 0.5], "to": [0.5, 0.5, 0.5, 0.5]}}],
            "height": "480P", "export": {"fps": 24}})")
                    .arg(good1, good2)
                    .toUtf8());
        f.close();
        const QString plain = dir.filePath(QStringLiteral("plain-look.mp4"));
        const QString looks = dir.filePath(QStringLiteral("looks.mp4"));
        Run r = exporter({QStringLiteral("-q"), QStringLiteral("-d"), QStringLiteral("1"),
                          QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-o"), plain,
                          good1, good2});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = exporter({album, QStringLiteral("-q"), QStringLiteral("--motion"),
                      QStringLiteral("gentle"), QStringLiteral("--fill"), QStringLiteral("blur"),
                      QStringLiteral("--watermark-text"), QStringLiteral("mark"),
                      QStringLiteral("--watermark-effect"), QStringLiteral("outline"),
                      QStringLiteral("-o"), looks});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const probe::Stream *a = nullptr, *b = nullptr;
        const auto plainStreams = probe::streams(plain), lookStreams = probe::streams(looks);
        a = probe::first(plainStreams, AVMEDIA_TYPE_VIDEO);
        b = probe::first(lookStreams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(a && b);
        QCOMPARE(b->packets, a->packets);
        QVERIFY(contents(plain) != contents(looks));

        r = exporter({QStringLiteral("--fill"), QStringLiteral("purple"), good1});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("--fill takes black blur crop or #RRGGBB")),
                 qPrintable(r.err));
        r = exporter({QStringLiteral("--motion"), QStringLiteral("fast"), good1});
        QCOMPARE(r.code, 2);

        const QString saved = dir.filePath(QStringLiteral("saved-looks.vmalbum"));
        r = exporter({QStringLiteral("--save-album"), saved, QStringLiteral("--motion"),
                      QStringLiteral("gentle"), QStringLiteral("--fill"), QStringLiteral("#102030"),
                      good1});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const AlbumReadResult back = readAlbumFile(saved);
        QVERIFY2(back.ok, qPrintable(back.error));
        QVERIFY(back.album.gentleMotion);
        QCOMPARE(back.album.fill.kind, FillKind::Colour);
        QCOMPARE(back.album.fill.colour, QRgb(0xff102030));
    }

    // A wide photograph with a face at its right edge, in a tall album with the crop fill,
    // gentle motion and faces kept: the face is found in the video's frames from first to last,
    // and the saved album keeps the choices.
    void faceKeptInATallCrop()
    {
        const QImage portrait(
            QStringLiteral("/usr/share/doc/opencv-doc/opencv4/html/face_swapped.jpg"));
        if (portrait.isNull())
            QSKIP("opencv-doc's sample photograph is not installed");
        QImage wide = testmedia::pattern(1600, 900, QColor(60, 110, 70));
        {
            QPainter painter(&wide);
            painter.drawImage(QRect(1000, 120, 600, 600), portrait);
        }
        const QString picture = dir.filePath(QStringLiteral("wide-face.jpg"));
        QVERIFY(wide.save(picture, "JPG", 92));
        const QString out = dir.filePath(QStringLiteral("tall-crop.mp4"));
        Run r = exporter({QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("9:16"),
                          QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("--fps"),
                          QStringLiteral("24"), QStringLiteral("-d"), QStringLiteral("2"),
                          QStringLiteral("--fill"), QStringLiteral("crop"),
                          QStringLiteral("--motion"), QStringLiteral("gentle"),
                          QStringLiteral("--faces"), QStringLiteral("-o"), out, picture});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QList<probe::Stream> written = probe::streams(out);
        const probe::Stream *video = probe::first(written, AVMEDIA_TYPE_VIDEO);
        QVERIFY(video);
        QVERIFY(video->height > video->width);
        QCOMPARE(video->packets, 48);
        for (int index : {0, 12, 24, 36, 47}) {
            const QImage frame = probe::videoFrame(out, index);
            QVERIFY(!frame.isNull());
            const av::FramePtr f = imageToFrame(frame);
            const QVector<QRectF> faces = detectFacesInFrame(f.get());
            QVERIFY2(!faces.isEmpty(), qPrintable(QStringLiteral("frame %1").arg(index)));
            // Whole: clear of the frame's edges.
            QVERIFY(faces[0].left() > 0 && faces[0].right() < 1);
        }
        // The middle of the wide picture, as cropped without faces, does not show it.
        const QImage middle = wide.copy(QRect(800 - 253, 0, 506, 900));
        QVERIFY(detectFacesInFrame(imageToFrame(middle).get()).isEmpty());

        const QString saved = dir.filePath(QStringLiteral("tall-crop.vmalbum"));
        r = exporter({QStringLiteral("--save-album"), saved, QStringLiteral("--fill"),
                      QStringLiteral("crop"), QStringLiteral("--faces"), picture});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const AlbumReadResult back = readAlbumFile(saved);
        QVERIFY2(back.ok, qPrintable(back.error));
        QVERIFY(back.album.keepFaces);
        QCOMPARE(back.album.fill.kind, FillKind::Crop);
    }

    // A caption and a text watermark longer than the frame is wide: wrapped within the frame's
    // margins (3 % for a caption, 1 % for the watermark), neither end lost.
    void longTextsWrapInTheFrame()
    {
        const QString dark = dir.filePath(QStringLiteral("dark.png"));
        QImage img(640, 360, QImage::Format_RGB32);
        img.fill(QColor(30, 30, 30));
        QVERIFY(img.save(dark));
        const QString caption =
            QStringLiteral("THE HARBOUR OF VELMORA AT SUNSET, WITH ALL THE BOATS COMING IN");
        const QString album = dir.filePath(QStringLiteral("long texts.vmalbum"));
        QFile f(album);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(R"({"velmoraalbum": 1, "duration": 1, "pictures": [
            {"file": "%1", "caption": {"text": "%2", "position": "top", "effect": "plain"}}],
            "height": "480P", "export": {"fps": 24}})")
                    .arg(dark, caption)
                    .toUtf8());
        f.close();
        const QString out = dir.filePath(QStringLiteral("long texts.mp4"));
        const Run r = exporter({album, QStringLiteral("-q"), QStringLiteral("--watermark-text"),
                                caption + QStringLiteral(" — ") + caption,
                                QStringLiteral("--watermark-color"), QStringLiteral("#ffffff"),
                                QStringLiteral("--watermark-position"), QStringLiteral("bottom"),
                                QStringLiteral("-o"), out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QImage frame = probe::videoFrame(out, 12);
        QCOMPARE(frame.size(), QSize(852, 480));
        // Bright pixels per half: rows they span, columns they reach.
        for (bool top : {true, false}) {
            const int margin = top ? int(852 * 0.03) : int(852 * 0.01);
            int first = -1, last = -1, left = 852, right = -1;
            for (int y = top ? 0 : 240; y < (top ? 240 : 480); ++y)
                for (int x = 0; x < 852; ++x)
                    if (qGray(frame.pixel(x, y)) > 160) {
                        first = first < 0 ? y : first;
                        last = y;
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            const QString where =
                QStringLiteral("%1: rows %2-%3, columns %4-%5")
                    .arg(top ? QStringLiteral("caption") : QStringLiteral("watermark"),
                         QString::number(first), QString::number(last), QString::number(left),
                         QString::number(right));
            QVERIFY2(first >= 0, qPrintable(where));
            QVERIFY2(left >= margin - 1 && right <= 852 - margin, qPrintable(where));
            QVERIFY2(last - first > 30, qPrintable(where)); // two lines at least
        }
    }

    // The pictures fitted to a 7-second tune started 1 s in, faded out at the end; the shaping
    // options are checked like the others, and the album keeps them.
    void musicShapingAndFit()
    {
        const QString music = dir.filePath(QStringLiteral("tune.mp3"));
        QVERIFY(
            testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("aevalsrc=exprs='0.5*sin(2*PI*440*t)':s=44100:d=7"),
                               QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), music}));
        const QString out = dir.filePath(QStringLiteral("fitted.mkv"));
        const QStringList shaping = {QStringLiteral("-m"),
                                     music,
                                     QStringLiteral("--music-start"),
                                     QStringLiteral("1"),
                                     QStringLiteral("--fade-out"),
                                     QStringLiteral("1.5"),
                                     QStringLiteral("--fit-to-music")};
        Run r =
            exporter(QStringList{QStringLiteral("-q"), QStringLiteral("-H"), QStringLiteral("480"),
                                 QStringLiteral("-o"), out, good1, good2, good1} +
                     shaping);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const auto streams = probe::streams(out);
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v);
        // 6 s of music left: three pictures and two slots, whole frames of each at 24 fps.
        QVERIFY2(qAbs(v->packets - 144) <= 3, qPrintable(QString::number(v->packets)));
        int rate = 0;
        const QVector<float> sound = probe::audioMono(out, &rate);
        QVERIFY(sound.size() > rate * 5);
        const double middle = probe::rms(sound, rate * 2, rate / 10);
        QVERIFY(middle > 0.2);
        QVERIFY2(probe::rms(sound, int(rate * 5.85), rate / 20) < 0.15 * middle,
                 qPrintable(QString::number(probe::rms(sound, int(rate * 5.85), rate / 20))));

        // Saved, the album keeps the shaping and the fitted durations.
        const QString album = dir.filePath(QStringLiteral("fitted.vmalbum"));
        r = exporter(QStringList{QStringLiteral("-q"), QStringLiteral("--save-album"), album, good1,
                                 good2, good1} +
                     shaping);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QByteArray json = contents(album);
        QVERIFY2(json.contains(R"("start": 1, "fadeOut": 1.5})"), json.constData());
        QVERIFY2(json.contains(R"("duration": 1.2,)"), json.constData());

        for (const QStringList &bad :
             {QStringList{QStringLiteral("--fade-in"), QStringLiteral("31")},
              QStringList{QStringLiteral("--volume"), QStringLiteral("2.5")},
              QStringList{QStringLiteral("--music-start"), QStringLiteral("-1")}}) {
            r = exporter(
                QStringList{QStringLiteral("-o"), out, good1, QStringLiteral("-m"), music} + bad);
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains(bad.first()), qPrintable(r.err));
        }
        r = exporter(
            {QStringLiteral("-o"), out, good1, QStringLiteral("--volume"), QStringLiteral("0.5")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("need music")), qPrintable(r.err));
        // What is left of the music after its start is too little for three pictures.
        r = exporter({QStringLiteral("-o"), out, good1, QStringLiteral("-m"), music,
                      QStringLiteral("--fit-to-music"), QStringLiteral("--music-start"),
                      QStringLiteral("6.9")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("too short")), qPrintable(r.err));
        QVERIFY(parts().isEmpty());
    }

    // Cutting on the beat: a drum loop with known beats (kicks every 0.5 s from 0.25 s, hi-hats
    // loud between them) and pictures with cuts of their own durations; every change of picture
    // in the video lies on a kick.
    void cutToBeat()
    {
        const QString cache = dir.filePath(QStringLiteral("cache"));
        qputenv("XDG_CACHE_HOME", cache.toUtf8());
        const QString drums = dir.filePath(QStringLiteral("drums.wav"));
        QVERIFY(testmedia::ffmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("aevalsrc=exprs='gte(t,0.25)*0.8*sin(2*PI*55*mod(t+0.25,0.5))*"
                            "exp(-mod(t+0.25,0.5)/0.09)+gte(t,0.45)*0.5*(2*random(0)-1)*"
                            "exp(-mod(t,0.5)/0.015)':s=44100:d=24"),
             drums}));
        const QList<QColor> colours = {Qt::red,     Qt::green, Qt::blue, Qt::yellow,
                                       Qt::magenta, Qt::cyan,  Qt::white};
        const QList<double> seconds = {1.3, 0.9, 1.7, 1.1, 2.2, 0.6, 1.4};
        QByteArray pictures;
        for (int i = 0; i < colours.size(); ++i) {
            const QString file = dir.filePath(QStringLiteral("beat%1.png").arg(i));
            QImage picture(320, 180, QImage::Format_RGB32);
            picture.fill(colours[i]);
            QVERIFY(picture.save(file));
            pictures += QStringLiteral(R"(%1{"file": "beat%2.png", "duration": %3, )"
                                       R"("transition": {"kind": "none"}})")
                            .arg(i ? QStringLiteral(", ") : QString())
                            .arg(i)
                            .arg(seconds[i])
                            .toUtf8();
        }
        const QString album = dir.filePath(QStringLiteral("beat.vmalbum"));
        QVERIFY(testmedia::writeBytes(album, R"({"velmoraalbum": 1, "pictures": [)" + pictures +
                                                 R"(], "music": {"file": "drums.wav"}})"));
        const QString out = dir.filePath(QStringLiteral("beat.mkv"));
        Run r = exporter({QStringLiteral("-q"), album, QStringLiteral("--cut-to-beat"),
                          QStringLiteral("beat"), QStringLiteral("--fps"), QStringLiteral("60"),
                          QStringLiteral("-H"), QStringLiteral("480"), QStringLiteral("-o"), out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // The track's beat was kept for the next time.
        QVERIFY(!QDir(cache + QStringLiteral("/VelmoraAlbum/beats")).isEmpty(QDir::Files));

        // Each frame's mean colour, from a tiny copy of the video.
        const QString raw = dir.filePath(QStringLiteral("beat.rgb"));
        QVERIFY(testmedia::ffmpeg({QStringLiteral("-i"), out, QStringLiteral("-vf"),
                                   QStringLiteral("scale=4:4"), QStringLiteral("-f"),
                                   QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                                   QStringLiteral("rgb24"), raw}));
        const QByteArray bytes = contents(raw);
        const int frameBytes = 4 * 4 * 3;
        QList<double> changes;
        for (int k = 1; k < bytes.size() / frameBytes; ++k) {
            int difference = 0;
            for (int b = 0; b < frameBytes; ++b)
                difference += std::abs(int(uchar(bytes[k * frameBytes + b])) -
                                       int(uchar(bytes[(k - 1) * frameBytes + b])));
            if (difference > frameBytes * 20)
                changes << k / 60.0;
        }
        QCOMPARE(changes.size(), colours.size() - 1);
        for (int i = 0; i < changes.size(); ++i) {
            const double beat = 0.25 + 0.5 * std::round((changes[i] - 0.25) / 0.5);
            QVERIFY2(std::abs(changes[i] - beat) <= 0.030,
                     qPrintable(QStringLiteral("change %1 at %2 s").arg(i).arg(changes[i])));
            // Near where the pictures' own durations put it.
            double wanted = 0;
            for (int j = 0; j <= i; ++j)
                wanted += seconds[j];
            QVERIFY2(std::abs(changes[i] - wanted) <= 0.5 + 0.030,
                     qPrintable(QStringLiteral("change %1 at %2 s").arg(i).arg(changes[i])));
        }

        // Saved, the album keeps the choice; the times are worked out again when it is read.
        const QString saved = dir.filePath(QStringLiteral("beat-saved.vmalbum"));
        r = exporter({QStringLiteral("-q"), album, QStringLiteral("--cut-to-beat"),
                      QStringLiteral("bar"), QStringLiteral("--fit-to-music"),
                      QStringLiteral("--save-album"), saved});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(contents(saved).contains(R"("cut": "bar")"), contents(saved).constData());

        // Without music, or with a value it does not know: a usage error that says so.
        r = exporter({QStringLiteral("-o"), out, good1, QStringLiteral("--cut-to-beat"),
                      QStringLiteral("beat")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("--cut-to-beat needs music")), qPrintable(r.err));
        r = exporter({QStringLiteral("-o"), out, good1, QStringLiteral("-m"), drums,
                      QStringLiteral("--cut-to-beat"), QStringLiteral("3")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("--cut-to-beat takes")), qPrintable(r.err));
        // Music without any beat (silence) is refused, saying why.
        const QString hum = dir.filePath(QStringLiteral("hum.wav"));
        QVERIFY(
            testmedia::ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("anullsrc=r=44100:cl=mono:d=8"), hum}));
        r = exporter({QStringLiteral("-o"), out, good1, good2, QStringLiteral("-m"), hum,
                      QStringLiteral("--cut-to-beat"), QStringLiteral("auto")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("cannot cut to the beat")), qPrintable(r.err));
        qunsetenv("XDG_CACHE_HOME");
        QVERIFY(parts().isEmpty());
    }

    // --auto: the film's choices, each named option kept instead, and without music no cut,
    // fit or fades.
    void oneStepFilm()
    {
        const QString cache = dir.filePath(QStringLiteral("film-cache"));
        qputenv("XDG_CACHE_HOME", cache.toUtf8());
        const QString drums = dir.filePath(QStringLiteral("film-drums.wav"));
        // Kick on every beat at 120 BPM, louder on each bar's first, for 20 s.
        QVERIFY(testmedia::writeSound(
            drums,
            QStringLiteral("(0.4+0.5*lt(mod(t,2),0.5))*sin(2*PI*55*mod(t,0.5))*"
                           "exp(-mod(t,0.5)/0.09)+0.3*(2*random(0)-1)*exp(-mod(t+0.25,0.5)/0.01)"),
            44100, 20, {}));
        QStringList files;
        const QList<QByteArray> dates = {"2023:05:01 10:00:00", "2021:05:01 10:00:00",
                                         "2022:05:01 10:00:00"};
        for (int i = 0; i < dates.size(); ++i) {
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            testmedia::pattern(400, 300).save(&buffer, "JPEG");
            files << dir.filePath(QStringLiteral("film%1.jpg").arg(i));
            QVERIFY(testmedia::writeBytes(
                files.last(),
                testexif::inJpeg(jpeg, testexif::tiff({"", "", dates[i], ""}, false))));
        }
        const auto saved = [this, &files](const QStringList &options) {
            const QString album = dir.filePath(QStringLiteral("film.vmalbum"));
            QFile::remove(album);
            const Run r = exporter(QStringList{QStringLiteral("-q"), QStringLiteral("--auto"),
                                               QStringLiteral("--save-album"), album} +
                                   options + files);
            return r.code == 0 ? readAlbumFile(album) : AlbumReadResult{false, r.err, {}};
        };

        AlbumReadResult read =
            saved({QStringLiteral("-r"), QStringLiteral("9:16"), QStringLiteral("-m"), drums});
        QVERIFY2(read.ok, qPrintable(read.error));
        QStringList order;
        for (const AlbumPicture &picture : read.album.pictures)
            order << QFileInfo(picture.file).fileName();
        QCOMPARE(order, QStringList({"film1.jpg", "film2.jpg", "film0.jpg"}));
        QVERIFY(read.album.gentleMotion && read.album.keepFaces);
        QCOMPARE(read.album.fill.kind, FillKind::Crop);
        QCOMPARE(read.album.beatCut, BeatCut::Auto);
        QVERIFY(read.album.beatFit);
        QCOMPARE(read.album.musicShape.fadeIn, int64_t(2000000));
        QCOMPARE(read.album.musicShape.fadeOut, int64_t(2000000));
        // The fit is the cut's: the pictures keep their own durations.
        QCOMPARE(read.album.pictures.first().duration, int64_t(0));

        // A wide album gets the blurred fill; a named option takes the place of the film's.
        read = saved({QStringLiteral("-m"), drums, QStringLiteral("--fill"),
                      QStringLiteral("black"), QStringLiteral("--cut-to-beat"),
                      QStringLiteral("bar"), QStringLiteral("--fade-out"), QStringLiteral("5")});
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.fill.kind, FillKind::Black);
        QCOMPARE(read.album.beatCut, BeatCut::Bar);
        QCOMPARE(read.album.musicShape.fadeOut, int64_t(5000000));
        QVERIFY(saved({QStringLiteral("-m"), drums}).album.fill.kind == FillKind::Blur);

        // Without music: the look alone.
        read = saved({QStringLiteral("-r"), QStringLiteral("1:1")});
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.fill.kind, FillKind::Crop);
        QVERIFY(read.album.gentleMotion && read.album.keepFaces);
        QCOMPARE(read.album.beatCut, BeatCut::Off);
        QVERIFY(read.album.musicShape.isDefault());

        // The film ends on the music's last bar (a bar every 2 s, the last within the 20 s is
        // at 18 s), and so does the album it was saved to when it is rendered again.
        QVERIFY(saved({QStringLiteral("-m"), drums}).ok);
        const auto seconds = [](const QString &szFile) {
            const QList<probe::Stream> s = probe::streams(szFile);
            const probe::Stream *video = probe::first(s, AVMEDIA_TYPE_VIDEO);
            return video ? video->endSeconds : 0.0;
        };
        for (const QStringList &source :
             {QStringList{QStringLiteral("--auto"), QStringLiteral("-m"), drums} + files,
              QStringList{dir.filePath(QStringLiteral("film.vmalbum"))}}) {
            const QString out = dir.filePath(QStringLiteral("film.mkv"));
            const Run r = exporter(QStringList{QStringLiteral("-q"), QStringLiteral("-H"),
                                               QStringLiteral("480"), QStringLiteral("-o"), out} +
                                   source);
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY2(std::abs(seconds(out) - 18.0) <= 0.05,
                     qPrintable(QString::number(seconds(out))));
        }
        qunsetenv("XDG_CACHE_HOME");
    }

    // -m again adds a track: the tracks play in turn with --crossfade between them, the fit
    // takes the list's length, and a saved album keeps the list.
    void musicList()
    {
        const QString a = dir.filePath(QStringLiteral("list one.wav"));
        const QString b = dir.filePath(QStringLiteral("list two.ogg"));
        QVERIFY(testmedia::writeSound(a, QStringLiteral("0.5*sin(2*PI*440*t)"), 44100, 4,
                                      {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}));
        QVERIFY(testmedia::writeSound(b, QStringLiteral("0.5*sin(2*PI*660*t)"), 44100, 3,
                                      {QStringLiteral("-c:a"), QStringLiteral("libvorbis")}));
        const QStringList music{QStringLiteral("-m"),
                                a,
                                QStringLiteral("-m"),
                                b,
                                QStringLiteral("--crossfade"),
                                QStringLiteral("1"),
                                QStringLiteral("--fit-to-music")};
        const QString out = dir.filePath(QStringLiteral("list.mp4"));
        Run r =
            exporter(QStringList{QStringLiteral("-q"), QStringLiteral("-H"), QStringLiteral("480"),
                                 QStringLiteral("-o"), out, good1, good2} +
                     music);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const auto streams = probe::streams(out);
        const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
        QVERIFY(v && probe::first(streams, AVMEDIA_TYPE_AUDIO));
        // 4 s + 3 s - 1 s.
        QVERIFY2(qAbs(v->endSeconds - 6) <= 1.0 / 24 + 1e-6,
                 qPrintable(QString::number(v->endSeconds)));

        const QString album = dir.filePath(QStringLiteral("list.vmalbum"));
        r = exporter(
            QStringList{QStringLiteral("-q"), QStringLiteral("--save-album"), album, good1, good2} +
            music);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QByteArray json = contents(album);
        QVERIFY2(json.contains(
                     R"("music": {"file": "list one.wav", "tracks": [{"file": "list one.wav"}, )"
                     R"({"file": "list two.ogg"}], "crossfade": 1},)"),
                 json.constData());
        for (const QStringList &bad :
             {QStringList{QStringLiteral("-m"), a, QStringLiteral("--crossfade"),
                          QStringLiteral("11")},
              QStringList{QStringLiteral("--crossfade"), QStringLiteral("1")}}) {
            r = exporter(QStringList{QStringLiteral("-o"), out, good1} + bad);
            QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("--crossfade")),
                     qPrintable(r.err));
        }
        // A track that is not there is named, as the only music would be.
        const QString gone = dir.filePath(QStringLiteral("gone.mp3"));
        r = exporter({QStringLiteral("-o"), out, good1, QStringLiteral("-m"), a,
                      QStringLiteral("-m"), gone});
        QVERIFY(r.code != 0);
        QVERIFY2(r.err.contains(gone), qPrintable(r.err));
        QVERIFY(parts().isEmpty());
    }

    // Music in another format, and a video's sound, from the command line: the pictures fitted
    // to it, its sound under them.
    void musicOfOtherFormats()
    {
        for (const musicformats::Format &format : musicformats::all()) {
            if (format.file.endsWith(QLatin1String(".mp3")))
                continue;
            const QString music = dir.filePath(format.file);
            QVERIFY(musicformats::write(music, format));
            const QString out = dir.filePath(QStringLiteral("with %1.mp4").arg(format.name));
            const Run r = exporter({QStringLiteral("-q"), QStringLiteral("-H"),
                                    QStringLiteral("480"), QStringLiteral("-o"), out, good1,
                                    QStringLiteral("-m"), music, QStringLiteral("--fit-to-music")});
            QVERIFY2(r.code == 0, qPrintable(format.name + QLatin1Char(' ') + r.err));
            const auto streams = probe::streams(out);
            const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO);
            QVERIFY(v && probe::first(streams, AVMEDIA_TYPE_AUDIO));
            QVERIFY2(
                qAbs(v->endSeconds - musicformats::kSeconds) <= 1.0 / 24 + 1e-6,
                qPrintable(
                    QStringLiteral("%1: %2 s").arg(format.name, QString::number(v->endSeconds))));
            int rate = 0;
            const QVector<float> sound = probe::audioMono(out, &rate);
            QVERIFY2(probe::rms(sound, rate, rate / 10) > 0.2, qPrintable(format.name));
        }
        QVERIFY(parts().isEmpty());
    }

    // An album that cannot be read is a usage error that says why, and nothing is written.
    void hostileAlbums_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("broken JSON")
            << "broken.vmalbum" << QByteArray(R"({"velmoraalbum": 1, )") << "Not valid JSON: ";
        QTest::newRow("wrong type")
            << "type.vmalbum" << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":5}]})")
            << R"("pictures[0].file": a text)";
        QTest::newRow("huge duration")
            << "long.vmalbum"
            << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a.jpg"}],"duration":1e9})")
            << R"("duration": a whole number from 1 to 60)";
        QTest::newRow("newline in a path")
            << "nl.vmalbum" << QByteArray(R"({"velmoraalbum":1,"pictures":[{"file":"a
b.jpg"}]})") << R"("pictures[0].file": a file name without line breaks)";
        QTest::newRow("% in the album's name")
            << "100% %1 %03d.vmalbum" << QByteArray("{") << "Not valid JSON: ";
        QTest::newRow("a folder named x.vmalbum")
            << "x.vmalbum" << QByteArray() << "It is a folder, not an album file";
    }
    void hostileAlbums()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        const QString path = dir.filePath(name);
        if (json.isEmpty())
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(testmedia::writeBytes(path, json));
        const QString out = dir.filePath(QStringLiteral("hostile.mp4"));
        const Run r = exporter({path, QStringLiteral("-o"), out});
        QCOMPARE(r.code, 2);
        const QString said =
            QStringLiteral("vmalbum-export: cannot read the album \"%1\": %2").arg(path, error);
        QVERIFY2(r.err.startsWith(said), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
        QVERIFY(parts().isEmpty());
    }

    // Missing and unusable pictures of an album are named and left out; none usable: 3.
    void albumWithMissingPictures()
    {
        const QString album = dir.filePath(QStringLiteral("gaps.vmalbum"));
        QVERIFY(testmedia::writeBytes(album, R"({"velmoraalbum":1,"pictures":[{"file":"gone.jpg"},
                   {"file":"holiday photo ü.jpg"},{"file":"broken.jpg"}]})"));
        const QString out = dir.filePath(QStringLiteral("gaps.mp4"));
        Run r = exporter({album, QStringLiteral("-o"), out, QStringLiteral("-d"),
                          QStringLiteral("1"), QStringLiteral("-H"), QStringLiteral("480")});
        QCOMPARE(r.code, 0);
        for (const char *name : {"gone.jpg", "broken.jpg"})
            QVERIFY2(r.err.contains(QStringLiteral("vmalbum-export: skipping %1: Image decode ")
                                        .arg(dir.filePath(QLatin1String(name)))),
                     qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("(1 pictures, ")), qPrintable(r.err));
        QVERIFY(testmedia::writeBytes(
            album,
            R"({"velmoraalbum":1,"pictures":[{"file":"gone.jpg"},{"file":"/nowhere/x.png"}]})"));
        r = exporter({album, QStringLiteral("-o"), out});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(QStringLiteral("skipping /nowhere/x.png: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("no picture could be used")), qPrintable(r.err));
    }

    // However the exporter is stopped, and whenever: it says it was cancelled (not that it
    // failed), exits with 128 + the signal, leaves no temporary file and keeps the file it was
    // to replace.
    // A folder stands for the pictures in it and in its subfolders, in the order taken; hidden
    // folders and other files are left out.
    void foldersInTheOrderTaken()
    {
        const QString root = dir.filePath(QStringLiteral("trip"));
        auto taken = [&root](const QString &szName, const QByteArray &date) {
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            testmedia::pattern(64, 48).save(&buffer, "JPEG");
            const QString path = root + QLatin1Char('/') + szName;
            QDir().mkpath(QFileInfo(path).absolutePath());
            return testmedia::writeBytes(
                path, testexif::inJpeg(jpeg, testexif::tiff({"", "", date, ""}, false)));
        };
        QVERIFY(taken(QStringLiteral("b.jpg"), "2022:01:01 10:00:00"));
        QVERIFY(taken(QStringLiteral("a.jpg"), "2023:01:01 10:00:00"));
        QVERIFY(taken(QStringLiteral("day 2/c.jpg"), "2021:01:01 10:00:00"));
        QVERIFY(taken(QStringLiteral(".hidden/d.jpg"), "2020:01:01 10:00:00"));
        QVERIFY(testmedia::writeBytes(root + QStringLiteral("/notes.txt"), "x"));

        const QString album = dir.filePath(QStringLiteral("trip.vmalbum"));
        Run r = exporter({QStringLiteral("-q"), QStringLiteral("--save-album"), album, root});
        QCOMPARE(r.code, 0);
        const AlbumReadResult read = readAlbumFile(album);
        QVERIFY2(read.ok, qPrintable(read.error));
        QStringList names;
        for (const AlbumPicture &picture : read.album.pictures)
            names << QDir(root).relativeFilePath(picture.file);
        QCOMPARE(names, QStringList({"day 2/c.jpg", "b.jpg", "a.jpg"}));

        r = exporter({QStringLiteral("--check"), root});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.count(QStringLiteral("OK\t")), 3);
        QVERIFY(r.out.indexOf(QStringLiteral("c.jpg")) < r.out.indexOf(QStringLiteral("a.jpg")));

        const QString empty = dir.filePath(QStringLiteral("nothing here"));
        QVERIFY(QDir().mkpath(empty));
        r = exporter({QStringLiteral("-o"), dir.filePath(QStringLiteral("x.mp4")), empty});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(QStringLiteral("no JPEG or PNG picture in the folder")),
                 qPrintable(r.err));
    }

    void stopSignals_data()
    {
        QTest::addColumn<int>("signo");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("moment");
        // "start": as soon as the process exists, perhaps before it can catch anything;
        // "handlers": as soon as it catches signals, while it reads the pictures;
        // "file": as soon as the temporary file exists; "frames": once frames are written.
        QTest::newRow("Ctrl-C x3 at start") << int(SIGINT) << 3 << "start";
        QTest::newRow("Ctrl-C, pictures being read") << int(SIGINT) << 1 << "handlers";
        QTest::newRow("Ctrl-C x2, pictures being read") << int(SIGINT) << 2 << "handlers";
        QTest::newRow("SIGHUP, pictures being read") << int(SIGHUP) << 1 << "handlers";
        QTest::newRow("Ctrl-C, file created") << int(SIGINT) << 1 << "file";
        QTest::newRow("Ctrl-C x3, file created") << int(SIGINT) << 3 << "file";
        QTest::newRow("SIGTERM, file created") << int(SIGTERM) << 1 << "file";
        QTest::newRow("Ctrl-C x2, frames written") << int(SIGINT) << 2 << "frames";
        QTest::newRow("SIGHUP, frames written") << int(SIGHUP) << 1 << "frames";
        QTest::newRow("SIGTERM, frames written") << int(SIGTERM) << 1 << "frames";
    }
    void stopSignals()
    {
        QFETCH(int, signo);
        QFETCH(int, count);
        QFETCH(QString, moment);
        const QString target = dir.filePath(QStringLiteral("long.mp4"));
        QVERIFY(testmedia::writeBytes(target, "keep me"));
        QProcess p;
        p.start(QStringLiteral(VMALBUM_EXPORT),
                {good1, good2, good1, good2, QStringLiteral("-d"), QStringLiteral("60"),
                 QStringLiteral("-H"), QStringLiteral("720"), QStringLiteral("-o"), target});
        QVERIFY(p.waitForStarted());
        const qint64 pid = p.processId();
        if (moment == QLatin1String("handlers"))
            QTRY_VERIFY_WITH_TIMEOUT(catches(pid, signo), 60000);
        else if (moment == QLatin1String("file"))
            QTRY_VERIFY_WITH_TIMEOUT(!parts().isEmpty(), 60000);
        else if (moment == QLatin1String("frames"))
            QTRY_VERIFY_WITH_TIMEOUT(!parts().isEmpty() &&
                                         QFileInfo(dir.filePath(parts().first())).size() > 20000,
                                     60000);
        for (int i = 0; i < count; ++i) {
            ::kill(pid_t(pid), signo);
            QThread::msleep(5);
        }
        QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        if (moment == QLatin1String("start") && p.exitStatus() == QProcess::CrashExit) {
            // Killed before it could catch the signal: nothing had been created yet.
        } else {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 128 + signo);
            QVERIFY2(err.contains(QStringLiteral("vmalbum-export: export cancelled: Operation "
                                                 "interrupted(Interrupted system call)\n")),
                     qPrintable(err));
            QVERIFY2(!err.contains(QStringLiteral("failed")), qPrintable(err));
        }
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        QVERIFY(parts().isEmpty());
    }
};

QTEST_MAIN(TestExportCli)
#include "tst_exportcli.moc"
