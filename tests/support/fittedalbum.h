// An album fitted to its music, and what the exported file's streams measure against it.
#pragma once

#include "album.h"
#include "albumops.h"
#include "musicshape.h"
#include "probe.h"
#include "testalbum.h"
#include "testmedia.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cmath>

namespace fitted {

// A steady tone at half of full scale: what is left after a fade-out shows against it.
inline bool writeTone(const QString &path, double seconds)
{
    if (QFile::exists(path))
        return true;
    return testmedia::ffmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("aevalsrc=exprs='0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t)':s=44100:d=%1")
             .arg(seconds),
         QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
         QStringLiteral("128k"), path});
}

// `count` rows of `pictures` fitted to `music`, faded out over its last 2 s, for an MP4 at
// `fps` and 120 lines into `directory`/fitted.mp4. False when the fit is refused.
inline bool prepare(const QStringList &pictures, int count, const QString &music, int fps,
                    const QString &directory)
{
    Album &job = testAlbum();
    clearAlbum(job);
    setUniformDurationSeconds(job, 3);
    job.aspectNum = 16;
    job.aspectDen = 9;
    job.height = 120;
    job.updateWidth();
    TransitionPicker::reset(3);
    for (int i = 0; i < count; ++i) {
        MaterialItem item;
        item.path = pictures.at(i % pictures.size());
        appendPicture(job, item);
    }
    job.musicType = MusicCustom;
    job.musicPath = music;
    job.musicShape = MusicShape();
    job.musicShape.fadeOut = 2000000;
    job.frameRate = {fps, 1};
    job.videoBitRate = 0;
    job.audioBitRate = 0;
    job.sampleRate = 44100;
    job.exportFormat = QStringLiteral("MP4");
    job.fileName = QStringLiteral("fitted");
    job.exportDirectory = directory;
    job.watermarkType = WatermarkNone;
    return fitPicturesToMusic(job).ok;
}

struct Lengths
{
    double music = 0; // seconds
    double video = 0;
    double audio = 0;      // decoded
    double tailDb = 0;     // level of the last 20 ms of sound, dBFS
    double audioFrame = 0; // seconds of one encoder frame (AAC: 1024 samples)
};

inline Lengths measure(const QString &output, const QString &music)
{
    Lengths l;
    l.music = double(decodedMusicLength(music)) / 1e6;
    const auto streams = probe::streams(output);
    if (const probe::Stream *v = probe::first(streams, AVMEDIA_TYPE_VIDEO))
        l.video = v->endSeconds;
    int rate = 0;
    const QVector<float> sound = probe::audioMono(output, &rate);
    if (rate > 0) {
        l.audio = double(sound.size()) / rate;
        l.audioFrame = 1024.0 / rate;
        const double tail = probe::rms(sound, sound.size() - rate / 50, rate / 50);
        l.tailDb = tail > 0 ? 20 * std::log10(tail) : -200;
    }
    return l;
}

inline QString describe(int pictures, int fps, const Lengths &l)
{
    return QStringLiteral("%1 pictures at %2 fps: video %3 s, music %4 s, audio %5 s, "
                          "last 20 ms at %6 dBFS")
        .arg(QString::number(pictures), QString::number(fps), QString::number(l.video, 'f', 4),
             QString::number(l.music, 'f', 4), QString::number(l.audio, 'f', 4),
             QString::number(l.tailDb, 'f', 1));
}

} // namespace fitted
