// Reading the mean that a running Zolvik shows, from its pixels on the screen.
#pragma once

#include <windows.h>

#include <string>

// Decodes the value drawn at (200, 4) of the window's client area by matching glyphs that are
// rendered here with a new device context's default font on the button face, as the program
// draws them. On success `text` holds the value as drawn (for example "4.594500").
bool ReadShownMean(HWND window, double& mean, std::wstring& text);
