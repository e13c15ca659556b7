// Fuzz target: the music probe of a preview: open, find the stream and its length, decode a few
// frames, seek once, stop.
#include "album.h"
#include "audiodecoder.h"
#include "fuzzfile.h"
#include "playerinterface.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>

namespace {

// Stands in for the player: counts what it is handed, asks for one seek, then stops the decoder.
class FuzzPlayer : public PlayerInterface
{
public:
    static constexpr int kSeekAfterFrames = 2;
    static constexpr int kStopAfterFrames = 6;
    static constexpr int kSeekToMs = 1500; // past the end of short files, so it wraps

    AudioDecoder *decoder = nullptr;
    int frames = 0;

    int pushVideoFrame(AVFrame *frame) override
    {
        av_frame_unref(frame);
        return 0;
    }
    int pushAudioFrame(AVFrame *frame) override
    {
        if (frame->nb_samples <= 0 || frame->sample_rate <= 0) {
            std::fprintf(stderr, "music decoder handed over an empty frame\n");
            std::abort();
        }
        av_frame_unref(frame);
        ++frames;
        if (frames == kSeekAfterFrames)
            decoder->setSeekRequest(kSeekToMs);
        if (frames >= kStopAfterFrames)
            decoder->stop();
        return 0;
    }
    double sliderPositionMs() override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    const QString &file = fuzzfile::path(".mp3");
    if (!fuzzfile::write(file, data, size))
        return 0;

    AudioDecoder decoder;
    FuzzPlayer player;
    player.decoder = &decoder;
    decoder.output = &player;
    decoder.setAlbum(std::make_shared<const Album>());
    decoder.decodeImpl(file);

    if (decoder.active || decoder.durationMs != -1) {
        std::fprintf(stderr, "music decoder kept state after its request\n");
        std::abort();
    }
    return 0;
}
