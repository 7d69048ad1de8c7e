// SPDX-License-Identifier: MIT
// Whether the windows can find a display, judged before Qt starts.
#pragma once

namespace kameola {

// Whether Qt will find a display for the platforms named by -platform or QT_QPA_PLATFORM,
// or else for its default ones (Wayland first in a Wayland session, then X11). Platforms
// that draw without a display (offscreen, minimal, ...) always find one.
bool DisplayUsable(int argc, char** argv);

} // namespace kameola
