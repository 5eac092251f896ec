// The window shell: the main window's geometry, its procedure and its controls.
#pragma once

#include "../facts/zolvik_facts.h"

#include <windows.h>

// The sizes the main window is designed for, and the client area the drawing rectangle was
// last fitted to.
struct WindowGeometry {
    RECT windowRect; // the designed client area; made the outer rectangle at start-up
    int windowWidth; // the fixed outer size
    int windowHeight;
    RECT lastClientRect;
};

extern WindowGeometry windowGeometry;

bool ComputeWindowSize();
void Relayout(HWND window, bool force);

extern HWND mainWindow;    // null until its creation call returns
extern bool resizeAllowed; // mirrors the "Allow window resizing" check box
extern HWND savedFocus;    // the focus when the main window was last deactivated

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool CreateMainWindow(HINSTANCE instance, int showCommand);
