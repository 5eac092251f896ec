// Puts the layer and the program's process-wide state back to how a fresh process has them,
// so that one test process can run the program many times.
#pragma once

#include <windows.h>

void ResetProgram();

// A plain top-level window with the given client size to draw on.
HWND MakeSurfaceWindow(int clientWidth, int clientHeight);
