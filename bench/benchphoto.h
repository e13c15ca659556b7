#pragma once

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>

// A camera-sized test photo: a gradient with sensor-like noise and some texture, so that neither
// a codec nor a detector gets an easy picture.
inline QImage noisyPhoto(int w, int h, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB888);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        uchar *row = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24u)) - 12;
            row[3 * x] = uchar(std::clamp(x * 255 / w + n, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(y * 255 / h + n, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(128 + (x ^ y) % 64 + n, 0, 255));
        }
    }
    return img;
}
