// How Zolvik's window stands on the desktop, as far as reading its readout goes: whether it
// can be seen at all, whether the platform keeps its pixels when covered, and the thread DPI
// context its pixels are read in.
#pragma once

#include "sampling/sampling.h"

#include <windows.h>

// While it lives, the calling thread takes the DPI awareness of `window` (Windows 10 1607 and
// later; elsewhere nothing changes). Coordinates, the window's DC and a fresh DC's default
// font then all agree with what the window itself draws: unscaled pixels, even when the
// compositor stretches the window on a scaled display.
struct DpiScope {
    explicit DpiScope(HWND window);
    ~DpiScope();
    DpiScope(const DpiScope&) = delete;
    DpiScope& operator=(const DpiScope&) = delete;
    void* previous = nullptr;
};

// True where the desktop is composed (Windows 8 and later always; Vista and 7 with Aero): a
// window's own DC then reads its pixels even where other windows lie over it.
bool KeepsCoveredPixels();

// Everything but the decoding: gone, minimized, hidden, drawing area off the screen, or a
// window over the readout where covered pixels are not kept.
Sight SightOf(HWND window);

// "unaware", "system aware", "per-monitor aware", or "not known (before Windows 10 1607)":
// how `window` (or, for null, the calling thread) handles display scaling.
const char* DescribeDpiAwareness(HWND window);
// The display's DPI where the window is, as the platform tells a DPI-aware caller.
int DisplayDpi(HWND window);

// Raises the window without activating it, so its readout can be read on a desktop that keeps
// no covered pixels.
bool BringToTop(HWND window);
