// Reading the mean that a running Zolvik shows, from its pixels on the screen.
#pragma once

#include "decoding/decoding.h"
#include "windows/screen_pixels.h"

#include <windows.h>

#include <string>

// Looks at the value drawn at (200, 4) of the window's client area. It keeps the screen's
// surface, a capture buffer and the last look's pixels, so that a look at an unchanged
// readout costs one small screen copy and no decoding.
struct ReadoutCamera {
    HWND window = nullptr;
    HDC screen = nullptr;
    Grabber grabber;
    Pixels last;
    Pixels current;
    Reading lastReading;
};

bool OpenCamera(ReadoutCamera& camera, HWND window);
void CloseCamera(ReadoutCamera& camera);
Reading ReadReadout(ReadoutCamera& camera);
