// The timing benchmark: what one pass draws and times, and the history of pass durations
// shown in the top panel. The surface and clock operations it draws and times with are the
// platform's own (GetDC, SetDCPenColor, MoveToEx, LineTo, FillRect, TextOutW,
// QueryPerformanceCounter and their kin), declared by <windows.h>.
#pragma once

#include "../facts/zolvik_facts.h"

#include <windows.h>

// The durations of the most recent passes, in milliseconds, as a ring of eight slots.
class TimingHistory
{
  public:
    TimingHistory();
    void Push(double ms);
    double Average() const;
    void Clear();

    int first;      // slot of the oldest sample
    unsigned count; // valid samples, 0 to 8
    double samples[8];
};

extern TimingHistory timingHistory;

// The area each pass clears and draws its grid over. Only the window layout moves its right
// and bottom edges; left and top stay at 4 and 84.
extern RECT drawRect;

// The drawing area of a client area: under the panel, short of the other edges by the margin.
// Inverted where the client area is smaller than the panel and margins.
inline RECT DrawingRectOf(const RECT& client)
{
    return RECT{kAreaLeft, kAreaTop, client.right - kAreaMargin, client.bottom - kAreaMargin};
}

// The platform's fill for a system colour: the colour's index plus one, as a brush handle.
inline HBRUSH SystemColourFill(int colourIndex)
{
    return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colourIndex + 1));
}

// Draws the grid over `area` on `surface`, whose adjustable pen is selected: per colour the
// horizontal lines top to bottom, then the vertical ones left to right, at a pitch of 4.
// Returns the milliseconds between the counter readings around them, and nothing else. The
// pass times its lines with it, and zolvik-report times the same lines in memory with it.
double TimeGridLines(HDC surface, const RECT& area);
// One pass over `area`: selects the adjustable pen, clears the area to the window colour and
// times its grid with TimeGridLines, whose figure it returns. The program's pass and
// zolvik-report's control pass both draw with it, so the two cannot come apart.
double ClearAndTimeGrid(HDC surface, const RECT& area);

void DrawTimingReadout(HDC surface);
void ResetStatistics(HWND window);
void RunLinePass(HWND window);
