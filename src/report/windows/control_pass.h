// The control's canvas on Windows: a 32-bit DIB section selected into a memory DC, which GDI
// draws in software without the display driver.
#pragma once

#include <windows.h>

struct ControlCanvas {
    HDC surface = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int width = 0; // of the bitmap: the program's client area for the drawing area
    int height = 0;
};

// One control pass as the program draws at a client area of `clientWidth` x `clientHeight`,
// its drawing area cleared first as the program clears its own, outside the timing; the
// canvas is made, or remade for another size, as needed. Returns its lines' milliseconds, or
// 0 when no canvas could be made.
double DrawControlPass(ControlCanvas& canvas, int clientWidth, int clientHeight);
void FreeControlCanvas(ControlCanvas& canvas);
