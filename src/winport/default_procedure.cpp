// What a window's procedure leaves to the platform: creation, the background erase, painting,
// closing, the system menu's commands and the min/max pin on moving and sizing.
#include "winport_internal.h"

#include <algorithm>

using namespace winport;

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsLive(window)) {
        return 0;
    }
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_ERASEBKGND: {
        const auto brush = reinterpret_cast<std::intptr_t>(window->background);
        if (brush < 1 || brush > 31) {
            return 0;
        }
        FillArea(window, ClientRectOf(window), GetSysColor(static_cast<int>(brush - 1)));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            Send(window, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(window, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(window, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(window, SW_RESTORE);
            break;
        }
        return 0;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (pos && !(pos->flags & SWP_NOSIZE) && IsTopLevel(window)) {
            const MINMAXINFO info = QueryMinMax(window);
            pos->cx = std::clamp<int>(pos->cx, info.ptMinTrackSize.x, info.ptMaxTrackSize.x);
            pos->cy = std::clamp<int>(pos->cy, info.ptMinTrackSize.y, info.ptMaxTrackSize.y);
        }
        return 0;
    }
    default:
        return 0;
    }
}
