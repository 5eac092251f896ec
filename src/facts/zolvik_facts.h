// What Zolvik is to anything outside it: its window class, its controls' identifiers and where
// its grid lies in the client area. zolvik-report finds, clicks, reads and redraws the program
// by these, so both are built from this one header.
#pragma once

#include "zolvik_version.h"

#define ZOLVIK_WINDOW_CLASS L"ZolvikWindowClass"

// Child-window identifiers of the two controls.
constexpr int IDC_RESET_STATISTICS = 1;
constexpr int IDC_ALLOW_RESIZING = 10;

// The drawing rectangle starts at (4, 84), under the panel, and ends 4 pixels short of the
// client area's right and bottom edges; its grid has a line every 4 pixels in three colours.
constexpr int kAreaLeft = 4;
constexpr int kAreaTop = 84;
constexpr int kAreaMargin = 4;
constexpr int kGridPitch = 4;
constexpr int kGridColours = 3;

// The area the window is designed for, and opens with; resizing is the user's choice.
constexpr int kDesignedAreaWidth = 900;
constexpr int kDesignedAreaHeight = 600;

// The mean is drawn from (200, 4) of the client area, right of its caption, where
// zolvik-report reads it.
constexpr int kReadoutLeft = 200;
constexpr int kReadoutTop = 4;
