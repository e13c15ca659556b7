// AudioDecoder placeholder.
#include "audiodecoder.h"

#include <QThread>

AudioDecoder::AudioDecoder(QObject *parent) : QObject(parent)
{
    connect(this, &AudioDecoder::sig_decode, this, &AudioDecoder::decodeImpl);
    connect(this, &AudioDecoder::sig_close, this, &AudioDecoder::closeImpl);
}

void AudioDecoder::stop()
{
    if (active)
        running = false;
}

void AudioDecoder::pause()
{
    if (active)
        paused = true;
}

void AudioDecoder::resume()
{
    if (active)
        paused = false;
}

void AudioDecoder::setSeekRequest(int ms)
{
    seekRequestMs = ms;
}

void AudioDecoder::decodeImpl(QString) {}

void AudioDecoder::closeImpl(int iExitEcode)
{
    thread()->exit(iExitEcode);
}
