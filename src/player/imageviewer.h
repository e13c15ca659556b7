// ImageViewer: renders the live preview and the cover on a worker thread (placeholder until the
// renderer lands: it only answers its requests).
#pragma once

#include <QObject>

#include <atomic>

class ImageViewer : public QObject
{
    Q_OBJECT
public:
    explicit ImageViewer(QObject *parent = nullptr);

    std::atomic<bool> running{true};
    std::atomic<bool> paused{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> seekRequested{false};
    std::atomic<bool> previewing{false};

signals:
    void sig_changePreviewCover();
    void sig_previewVideo();
    void sig_previewFinished();
    void sig_close(int iExitCode);

public slots:
    void changePreviewCoverImpl();
    void previewVideoImpl();
    void closeImpl(int iExitCode);
};
