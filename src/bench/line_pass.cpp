#include "bench.h"

RECT drawRect = {4, 84, 904, 684};

namespace
{

constexpr int kGridPitch = 4;
// Black, red, blue: each colour overdraws the one before, so the grid left on screen is blue.
constexpr COLORREF kPenColours[] = {0x000000, 0x0000FF, 0xFF0000};

} // namespace

void RunLinePass(HWND window)
{
    HDC surface = GetDC(window);
    if (!surface) {
        return;
    }
    SelectObject(surface, GetStockObject(DC_PEN));
    FillRect(surface, &drawRect, SystemColourFill(COLOR_WINDOW));
    const RECT area = drawRect;

    // Only the pen colours, moves and lines lie between the two counter readings. Nothing
    // waits for queued drawing to finish: the figure is what the calls themselves cost.
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (COLORREF colour : kPenColours) {
        SetDCPenColor(surface, colour);
        for (LONG y = area.top; y < area.bottom; y += kGridPitch) {
            MoveToEx(surface, area.left, y, nullptr);
            LineTo(surface, area.right, y);
        }
        for (LONG x = area.left; x < area.right; x += kGridPitch) {
            MoveToEx(surface, x, area.top, nullptr);
            LineTo(surface, x, area.bottom);
        }
    }
    QueryPerformanceCounter(&end);

    const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    timingHistory.Push(ms);
    DrawTimingReadout(surface);
    ReleaseDC(window, surface);
}
