#include "bench.h"

#include "../facts/zolvik_facts.h"

namespace
{

// Black, red, blue: each colour overdraws the one before, so the grid left on screen is blue.
constexpr COLORREF kPenColours[] = {0x000000, 0x0000FF, 0xFF0000};

} // namespace

double TimeGridLines(HDC surface, const RECT& area)
{
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
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

double ClearAndTimeGrid(HDC surface, const RECT& area)
{
    // A copy, so that nothing the pass's callers do to their rectangle reaches the lines.
    const RECT drawn = area;
    SelectObject(surface, GetStockObject(DC_PEN));
    FillRect(surface, &drawn, SystemColourFill(COLOR_WINDOW));
    return TimeGridLines(surface, drawn);
}
