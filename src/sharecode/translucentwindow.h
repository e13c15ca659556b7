// SPDX-License-Identifier: GPL-3.0-or-later
// Rounded, see-through windows that still look right on a display without compositing.
#pragma once

class QWidget;

namespace ShareCode {

// Where translucency is unavailable, turns it off for pWindow and clips the window to a rounded
// rectangle of iRadius pixels instead, so no black corners show. Otherwise does nothing.
void fitTranslucentWindow(QWidget *pWindow, int iRadius);

} // namespace ShareCode
