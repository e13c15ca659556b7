// SPDX-License-Identifier: GPL-3.0-or-later
// Where a picture lands in the player surface: the largest centred rectangle of its aspect.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <SDL_rect.h>

namespace vmplayer {

// Single-precision aspect as the player has always computed it; sizes are rounded to even.
SDL_Rect displayRect(int xleft, int ytop, int displayWidth, int displayHeight, int pictureWidth,
                     int pictureHeight, AVRational sar);

} // namespace vmplayer
