// Fuzz target: the picture check and decode that import and export run on every chosen file.
#include "fuzzfile.h"
#include "imagedecoder.h"
#include "pictureheader.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>

namespace {

// A broken promise of the decoder's result is as much a fault as a crash.
void require(bool bHolds, const char *what)
{
    if (!bHolds) {
        std::fprintf(stderr, "picture decoder broke its result: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    const QString &file = fuzzfile::path(".jpg");
    if (!fuzzfile::write(file, data, size))
        return 0;

    const ImageDecoder::Result check = ImageDecoder::decodeFile(file, true);
    const ImageDecoder::Result full = ImageDecoder::decodeFile(file, false);

    for (const ImageDecoder::Result *r : {&check, &full}) {
        require(r->ok == r->report.isEmpty(), "a report exactly when it fails");
        if (!r->ok)
            continue;
        require(r->srcSize.width() > 0 && r->srcSize.height() > 0, "a size");
        require(r->srcSize.width() <= kMaxJpegSide && r->srcSize.height() <= kMaxJpegSide,
                "no side beyond the largest limit");
        require(r->widthToHeight.num > 0 && r->widthToHeight.den > 0, "a positive ratio");
    }
    // The check decides the import; the full decode must never accept what the check refused,
    // nor see another size.
    if (full.ok) {
        require(check.ok, "the check accepts what the full decode accepts");
        require(check.srcSize == full.srcSize, "the same size both ways");
        const QSize thumb = full.thumbnail.size();
        require(thumb.width() > 0 && thumb.height() > 0 &&
                    thumb.width() <= ImageDecoder::kThumbWidth &&
                    thumb.height() <= ImageDecoder::kThumbHeight,
                "a thumbnail inside its box");
    }
    return 0;
}
