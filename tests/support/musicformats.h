// Music in every format the program plays, made at test time: the same rising tone in each, at
// rates and channel counts that make the export convert.
#pragma once

#include "testmedia.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace musicformats {

struct Format
{
    QString name;
    QString file; // the file name, its extension telling the container
    QStringList codec;
    int rate = 44100;
    int channels = 2;
    bool video = false; // a video with the music as its sound track
};

// Seconds of the tone: not a whole number of any codec's frames, so a pass ends mid-frame.
constexpr double kSeconds = 3.3;

inline QVector<Format> all()
{
    const auto c = [](const char *codec) {
        return QStringList{QStringLiteral("-c:a"), QString::fromLatin1(codec)};
    };
    return {
        {QStringLiteral("MP3"), QStringLiteral("tone.mp3"), c("libmp3lame"), 44100, 2},
        {QStringLiteral("OGG Vorbis"), QStringLiteral("tone.ogg"), c("libvorbis"), 48000, 2},
        {QStringLiteral("Opus"), QStringLiteral("tone.opus"), c("libopus"), 48000, 1},
        {QStringLiteral("M4A AAC"), QStringLiteral("tone.m4a"), c("aac"), 48000, 2},
        {QStringLiteral("FLAC"), QStringLiteral("tone.flac"), c("flac"), 32000, 1},
        {QStringLiteral("WAV"), QStringLiteral("tone.wav"), c("pcm_s16le"), 22050, 2},
        {QStringLiteral("ALAC in M4A"), QStringLiteral("tone alac.m4a"), c("alac"), 44100, 1},
        {QStringLiteral("video sound"), QStringLiteral("clip.mp4"), c("aac"), 44100, 2, true},
    };
}

// A tone rising from 200 Hz: every stretch of it differs from every other, so a sound that
// is late or early by even a sample no longer matches the source.
inline QString toneExpression(int channels)
{
    const QString one = QStringLiteral("0.5*sin(2*PI*(200+150*t)*t)");
    QStringList each;
    for (int i = 0; i < channels; ++i)
        each << one;
    return each.join(QLatin1Char('|'));
}

inline bool write(const QString &path, const Format &f)
{
    if (!f.video)
        return testmedia::writeSound(path, toneExpression(f.channels), f.rate, kSeconds, f.codec);
    return testmedia::ffmpeg(
        QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc=size=160x120:rate=25:duration=%1").arg(kSeconds),
                    QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("aevalsrc=exprs='%1':s=%2:d=%3")
                        .arg(toneExpression(f.channels), QString::number(f.rate),
                             QString::number(kSeconds)),
                    QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                    QStringLiteral("yuv420p")} +
        f.codec + QStringList{path});
}

} // namespace musicformats
