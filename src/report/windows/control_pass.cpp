#include "windows/control_pass.h"
#include "zolvik_facts.h"

#include "bench/bench.h"

namespace
{

// The program's drawing rectangle is its client area less a margin of 4 and its panel of 84;
// the bitmap is the client area, so that every move and line is the program's own, clipping
// included: where the client area is too low for the panel, the vertical lines run backwards
// into it, clipped at its bottom.

bool MakeCanvas(ControlCanvas& canvas, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as a window's surface
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas.surface = CreateCompatibleDC(nullptr);
    canvas.bitmap = canvas.surface
                        ? CreateDIBSection(canvas.surface, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                        : nullptr;
    if (!canvas.bitmap) {
        FreeControlCanvas(canvas);
        return false;
    }
    canvas.previous = SelectObject(canvas.surface, canvas.bitmap);
    canvas.width = width;
    canvas.height = height;
    return true;
}

} // namespace

double DrawControlPass(ControlCanvas& canvas, int clientWidth, int clientHeight)
{
    const int bitmapWidth = clientWidth > 0 ? clientWidth : 1;
    const int bitmapHeight = clientHeight > 0 ? clientHeight : 1;
    if (canvas.surface && (canvas.width != bitmapWidth || canvas.height != bitmapHeight)) {
        FreeControlCanvas(canvas);
    }
    if (!canvas.surface && !MakeCanvas(canvas, bitmapWidth, bitmapHeight)) {
        return 0;
    }
    return ClearAndTimeGrid(canvas.surface, DrawingRectOf(RECT{0, 0, clientWidth, clientHeight}));
}

void FreeControlCanvas(ControlCanvas& canvas)
{
    if (canvas.surface && canvas.previous) {
        SelectObject(canvas.surface, canvas.previous);
    }
    if (canvas.bitmap) {
        DeleteObject(canvas.bitmap);
    }
    if (canvas.surface) {
        DeleteDC(canvas.surface);
    }
    canvas = ControlCanvas();
}
