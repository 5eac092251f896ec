#include "bench.h"

#include "../facts/zolvik_facts.h"

RECT drawRect = {kAreaLeft, kAreaTop, kAreaLeft + 900, kAreaTop + 600};

void RunLinePass(HWND window)
{
    HDC surface = GetDC(window);
    if (!surface) {
        return;
    }
    SelectObject(surface, GetStockObject(DC_PEN));
    FillRect(surface, &drawRect, SystemColourFill(COLOR_WINDOW));
    const RECT area = drawRect;
    timingHistory.Push(TimeGridLines(surface, area));
    DrawTimingReadout(surface);
    ReleaseDC(window, surface);
}
