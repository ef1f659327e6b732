// SPDX-License-Identifier: MIT
#pragma once
// Whether the windowing platform can show a window partly transparent.

namespace morlith {

// True where window opacity takes effect: Wayland, the offscreen platform (nothing is shown
// there, but the code paths run as on a blending desktop), and X11 while a compositing manager
// owns the _NET_WM_CM_S<screen> selection. False elsewhere, so an overlay is not shown opaque.
bool PlatformCanBlendWindows();

} // namespace morlith
