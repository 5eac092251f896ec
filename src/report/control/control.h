// The control measurement: Zolvik's grid drawn by the companion itself, with the program's
// pens, moves and lines in the program's order, timed as the program times its own. Drawn into
// a memory bitmap it is the same work without the display driver, on the same machine at the
// same time.
#pragma once

#include <windows.h>

// Draws the grid of `area` (its left and top as the program's drawing rectangle has them) on
// `surface`, whose adjustable pen is selected, and returns the milliseconds between the two
// counter readings: the pen colours, moves and lines alone.
double TimeGridLines(HDC surface, const RECT& area);
