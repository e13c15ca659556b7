// SPDX-License-Identifier: GPL-3.0-or-later
// ImageDecoder: checks picture files and makes their thumbnails on a worker thread.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include "album.h"
#include "picturefacts.h"

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <atomic>

// Thread contract: lives on its own QThread; decodeImpl and decodeRequestImpl run there.
// `running` and `cancelledUpTo` are written by the user-interface thread and read by the worker.
class ImageDecoder : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxFileBytes = 67108864; // 64 MiB
    static constexpr int kThumbWidth = 120;
    static constexpr int kThumbHeight = 80;

    struct Result
    {
        bool ok = false;
        // On failure: "%1(%2)" (the step's message and FFmpeg's text), then the plain words,
        // e.g. "Image is too large(Invalid argument) — larger than 8192 × 8192 pixels, the
        // largest PNG" (the limits are in pictureheader.h).
        QString report;
        QString reason;   // the plain words alone, translated
        QImage thumbnail; // null in check-only mode
        AVRational widthToHeight{0, 1};
        QSize srcSize; // upright size in pixels
        // On success, what the user should know about the picture (translated), e.g. that only
        // the first frame of an animated WebP is shown; empty for most pictures.
        QString notice;
        ClipFacts clip; // a video clip's facts; a still picture's duration is 0
    };

    explicit ImageDecoder(QObject *parent = nullptr);

    // The whole check and decode of one file, synchronously; used by decodeImpl and by the
    // headless exporter. Safe to call from any thread.
    static Result decodeFile(const QString &szFile, bool bJustCheck);

    std::atomic<bool> running{true};
    // Numbered requests up to this one that have not started yet are dropped without an answer.
    std::atomic<quint64> cancelledUpTo{0};

signals:
    void sig_decoded(QString szFile, QPixmap stPixmap, AVRational stWidthToHeight,
                     QSize stSrcImageSize);
    void sig_close(int iExitCode);
    void sig_decode(QString szFile, bool bJustCheck);
    void sig_decodeFailed(QString szFile, QString szErrorStr);
    // A numbered request, answered by sig_answered with the same number (and not by the two
    // answers above), so that a caller can tell its own answers from anyone else's.
    void sig_decodeRequest(quint64 iRequest, QString szFile, bool bJustCheck);
    // bOk: the picture is usable (stPixmap is null in check-only mode) and szErrorStr holds its
    // notice (Result::notice, usually empty); else szErrorStr says why.
    void sig_answered(quint64 iRequest, QString szFile, bool bOk, QPixmap stPixmap,
                      AVRational stWidthToHeight, QSize stSrcImageSize, QString szErrorStr);
    // The date taken and camera of a usable picture of a numbered request (not check-only),
    // sent just before its sig_answered, so that the import keeps them with the picture.
    void sig_factsRead(quint64 iRequest, QString szFile, PictureFacts stFacts);

public slots:
    void decodeImpl(QString szFile, bool bJustCheck);
    void decodeRequestImpl(quint64 iRequest, QString szFile, bool bJustCheck);
    void closeImpl(int iExitEcode);
};
