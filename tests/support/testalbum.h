// The album an engine test builds and the snapshot of it a worker is handed.
#pragma once

#include "album.h"

#include <memory>

inline Album &testAlbum()
{
    static Album album;
    return album;
}

inline AlbumSnapshotPtr snapshotOf(const Album &album)
{
    return std::make_shared<const Album>(album);
}
