// SPDX-License-Identifier: GPL-3.0-or-later
// Whether top-level windows can really be see-through on this display.
#pragma once

namespace platform {

// True unless the session is X11 without a compositing manager, where the transparent parts of a
// translucent window show up black.
bool windowTranslucencySupported();

} // namespace platform
