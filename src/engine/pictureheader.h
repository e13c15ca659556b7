// Reading a picture's pixel size from its file header, before anything is decoded.
#pragma once

#include <QString>

struct PictureHeader
{
    bool known = false; // false when the format is not one we can read the header of
    int width = 0;      // as stored, before any EXIF orientation
    int height = 0;
};

// Reads the size from a JPEG (SOFn), PNG (IHDR), GIF, BMP or WebP header. A few kilobytes are
// read at most; nothing is decoded, so a file claiming 30000 x 30000 pixels costs nothing.
PictureHeader readPictureHeader(const QString &szPath);
