#include "windows/control_pass.h"

#include "bench/bench.h"

namespace
{

// The program's drawing rectangle starts at (4, 84) of its client area; the bitmap holds the
// same coordinates, so that every move and line is the program's own, clipping included.
constexpr int kAreaLeft = 4;
constexpr int kAreaTop = 84;

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

double DrawControlPass(ControlCanvas& canvas, int width, int height)
{
    const int bitmapWidth = kAreaLeft + (width > 0 ? width : 0);
    const int bitmapHeight = kAreaTop + (height > 0 ? height : 0);
    if (canvas.surface && (canvas.width != bitmapWidth || canvas.height != bitmapHeight)) {
        FreeControlCanvas(canvas);
    }
    if (!canvas.surface && !MakeCanvas(canvas, bitmapWidth, bitmapHeight)) {
        return 0;
    }
    const RECT area = {kAreaLeft, kAreaTop, bitmapWidth, bitmapHeight};
    SelectObject(canvas.surface, GetStockObject(DC_PEN));
    FillRect(canvas.surface, &area,
             reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    return TimeGridLines(canvas.surface, area);
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
