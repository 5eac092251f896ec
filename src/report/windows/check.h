// zolvik-report --check: a one-shot diagnosis of whether a run would work on this desktop,
// and what to do where it would not.
#pragma once

#include <windows.h>

// Prints each finding with what to do about it; returns 0 only when a run would work.
int CheckSetup(HWND window);
