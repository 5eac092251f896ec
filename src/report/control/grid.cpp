#include "control/control.h"

namespace
{

constexpr int kGridPitch = 4;
constexpr COLORREF kPenColours[] = {0x000000, 0x0000FF, 0xFF0000};

} // namespace

// The program's timed region, call for call: the frequency read before the start count, then
// per colour the horizontal lines top to bottom and the vertical ones left to right, and the
// end count straight after the last line.
double TimeGridLines(HDC surface, const RECT& area)
{
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
