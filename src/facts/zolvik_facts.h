// What Zolvik is to anything outside it: its window class, its controls' identifiers and where
// its grid lies in the client area. zolvik-report finds, clicks, reads and redraws the program
// by these, so both are built from this one header.
#pragma once

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
