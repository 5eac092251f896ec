#include "program_state.h"

#include "bench/bench.h"
#include "shell/shell.h"
#include "winport_control.h"

void ResetProgram()
{
    winport::Reset();
    timingHistory.Clear();
    drawRect = RECT{4, 84, 904, 684};
    windowGeometry = WindowGeometry{{0, 0, 908, 688}, 0, 0, {0, 0, 908, 688}};
    mainWindow = nullptr;
    resizeAllowed = false;
    savedFocus = nullptr;
}

HWND MakeSurfaceWindow(int clientWidth, int clientHeight)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"TestSurface";
    RegisterClassExW(&windowClass);
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExW(0, L"TestSurface", L"surface", WS_OVERLAPPEDWINDOW, 0, 0,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           nullptr, nullptr);
}
