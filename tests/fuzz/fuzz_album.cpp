// Fuzz target: the album file reader, and what the writer makes of whatever it accepts.
#include "albumfile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool bHolds, const char *what, const QString &szDetail = QString())
{
    if (!bHolds) {
        std::fprintf(stderr, "album reader broke its promise: %s %s\n", what, qPrintable(szDetail));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = QStringLiteral("/albums/summer");
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                    int(std::min<size_t>(size, 1u << 30)));
    const AlbumReadResult r = parseAlbum(json, dir);
    require(r.ok == r.error.isEmpty(), "an error exactly when it fails");
    if (!r.ok) {
        require(r.album == StoredAlbum(), "no album with an error");
        return 0;
    }
    const StoredAlbum &a = r.album;
    require(a.pictures.size() <= kMaxAlbumPictures, "no more pictures than allowed");
    for (const AlbumPicture &p : a.pictures) {
        require(p.file.startsWith(QLatin1Char('/')), "absolute paths", p.file);
        require(p.transitionRow >= -1 && p.transitionRow < kTransitionKindCount, "a table row");
    }
    for (int slot = 0; slot < a.pictures.size(); ++slot) {
        const int row = a.transitionRowFor(slot);
        require(row >= 0 && row < kTransitionKindCount, "every slot a table row");
    }
    require(a.durationSeconds >= 1 && a.durationSeconds <= 60, "a duration in range");
    // Whatever is accepted is written so that it reads back the same, from anywhere.
    const QByteArray again = serializeAlbum(a, dir);
    const AlbumReadResult back = parseAlbum(again, dir);
    require(back.ok, "the written album reads back", back.error);
    require(back.album == a, "the same album after a round trip", QString::fromUtf8(again));
    return 0;
}
