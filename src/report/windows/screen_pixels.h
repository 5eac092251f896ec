// Pixels read from the screen, and text rendered the way Zolvik draws its readout: what both
// zolvik-report and the end-to-end probe compare.
#pragma once

#include "decoding/decoding.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// A memory surface of fixed size to copy screen pixels into. Keeping one across copies saves
// creating a bitmap each time, which matters to a sampler that looks several times a second.
struct Grabber {
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    const unsigned* bits = nullptr;
    int width = 0;
    int height = 0;
};
bool OpenGrabber(Grabber& grabber, HDC compatibleWith, int width, int height);
void CloseGrabber(Grabber& grabber);
// Copies width x height pixels at (x, y) of `source` into `pixels`.
bool Grab(Grabber& grabber, HDC source, int x, int y, int width, int height, Pixels& pixels);

// A rectangle of the window's client area as it is on the screen now. Drawing reaches the
// screen when the program's thread goes idle, so callers wait a little after an action.
Pixels CaptureClient(HWND window, int x, int y, int width, int height);
Pixels CaptureClient(HWND window);

// The text as a new device context draws it with its default font on the button face.
Pixels RenderText(const std::wstring& text);
