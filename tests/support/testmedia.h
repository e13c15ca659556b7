// Test media made at test time: pictures from QImage, sound from FFmpeg's lavfi sources.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testmedia {

// A picture with a colour gradient, a frame and a diagonal, so that scaling errors show.
inline QImage pattern(int w, int h, QColor base = QColor(40, 120, 200))
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(base);
    QPainter p(&img);
    p.setPen(QPen(Qt::white, std::max(1, std::min(w, h) / 50)));
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawLine(0, 0, w - 1, h - 1);
    return img;
}

inline bool writeImage(const QString &path, const QImage &img, const char *format = nullptr,
                       int quality = 90)
{
    return img.save(path, format, quality);
}

inline bool writeJpeg(const QString &path, int w, int h, QColor base = QColor(40, 120, 200))
{
    return pattern(w, h, base).save(path, "JPEG", 90);
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Inserts an EXIF APP1 segment carrying `orientation` (1..8) right after the JPEG's SOI marker.
inline QByteArray withExifOrientation(const QByteArray &jpeg, int orientation)
{
    QByteArray tiff("MM\x00\x2a\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);                          // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8); // Orientation, SHORT, count 1
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray("\x00\x00\x00\x00\x00\x00", 6);          // pad + next IFD 0
    QByteArray app1 = QByteArray("Exif\x00\x00", 6) + tiff;
    QByteArray seg("\xFF\xE1", 2);
    const int len = app1.size() + 2;
    seg += char((len >> 8) & 0xFF);
    seg += char(len & 0xFF);
    seg += app1;
    return jpeg.left(2) + seg + jpeg.mid(2);
}

// Runs the ffmpeg command-line tool; true when it succeeded.
inline bool ffmpeg(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                        QStringLiteral("error"), QStringLiteral("-y")} +
                args);
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

// An MP3 of `seconds` seconds: a 440 Hz tone, or with `burst`, silence with a loud beep in the
// first 0.2 s (so that the start of each loop can be found in the output).
inline bool writeMp3(const QString &path, double seconds, bool burst = false, int rate = 44100,
                     int channels = 2)
{
    const QString src =
        burst ? QStringLiteral("aevalsrc=exprs='if(lt(t,0.2),0.8*sin(2*PI*440*t),0)':s=%1:d=%2")
                    .arg(rate)
                    .arg(seconds)
              : QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(rate).arg(seconds);
    return ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), src,
                   QStringLiteral("-ac"), QString::number(channels), QStringLiteral("-c:a"),
                   QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                   path});
}

// A sound from lavfi's aevalsrc (`exprs`: one expression per channel, '|' between them) of
// `seconds` at `rate`, encoded with `codec` (the ffmpeg options, e.g. "-c:a", "libopus").
inline bool writeSound(const QString &path, const QString &exprs, int rate, double seconds,
                       const QStringList &codec)
{
    return ffmpeg(QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                              QStringLiteral("aevalsrc=exprs='%1':s=%2:d=%3")
                                  .arg(exprs, QString::number(rate), QString::number(seconds))} +
                  codec + QStringList{path});
}

} // namespace testmedia
