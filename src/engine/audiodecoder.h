// AudioDecoder: plays the background music of a preview (placeholder until the decoder lands).
#pragma once

#include <QObject>
#include <QString>

#include <atomic>

class AudioDecoder : public QObject
{
    Q_OBJECT
public:
    explicit AudioDecoder(QObject *parent = nullptr);

    void stop();
    void pause();
    void resume();
    void setSeekRequest(int ms);

    std::atomic<bool> running{true};
    std::atomic<bool> paused{false};
    std::atomic<bool> active{false};
    std::atomic<int> seekRequestMs{-1};

signals:
    void sig_close(int iExitCode);
    void sig_decode(QString szFile);

public slots:
    void decodeImpl(QString szFile);
    void closeImpl(int iExitEcode);
};
