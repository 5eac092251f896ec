#include "bench.h"

#include "../facts/zolvik_facts.h"

RECT drawRect = {kAreaLeft, kAreaTop, kAreaLeft + kDesignedAreaWidth,
                 kAreaTop + kDesignedAreaHeight};

void RunLinePass(HWND window)
{
    HDC surface = GetDC(window);
    if (!surface) {
        return;
    }
    timingHistory.Push(ClearAndTimeGrid(surface, drawRect));
    DrawTimingReadout(surface);
    ReleaseDC(window, surface);
}
