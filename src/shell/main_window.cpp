#include "shell.h"

#include "../bench/bench.h"

HWND mainWindow = nullptr;
bool resizeAllowed = false;
HWND savedFocus = nullptr;

namespace
{

// While the window is pinned a size change (minimizing, say) leaves the drawing area alone.
void OnSize(HWND window)
{
    if (resizeAllowed) {
        Relayout(window, false);
    }
}

void OnActivate(WPARAM wParam)
{
    // Zero as a whole means deactivation of a window that is not minimized; the focus is
    // still on our control at this point and is gone once the deactivation completes.
    if (wParam == 0) {
        savedFocus = GetFocus();
    }
}

void OnSetFocus()
{
    if (savedFocus) {
        SetFocus(savedFocus);
    }
}

// The pass takes its own surface; the one BeginPaint returns only brackets the validation.
void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    RunLinePass(window);
    EndPaint(window, &paint);
}

// Pinning the minimum, maximum and maximized sizes keeps both the frame drag and maximizing
// at the fixed outer size. This is also the first message of window creation.
void OnGetMinMaxInfo(LPARAM lParam)
{
    if (resizeAllowed) {
        return;
    }
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const POINT size = {windowGeometry.windowWidth, windowGeometry.windowHeight};
    info->ptMaxSize = size;
    info->ptMinTrackSize = size;
    info->ptMaxTrackSize = size;
}

// Escape normally never gets here: the message loop catches it first. This covers a key
// message that reaches the procedure directly.
void OnKeyDown(HWND window, WPARAM key)
{
    if (key == VK_ESCAPE) {
        DestroyWindow(window);
    }
}

void OnAllowResizingToggled(HWND window)
{
    resizeAllowed = IsDlgButtonChecked(mainWindow, IDC_ALLOW_RESIZING) == BST_CHECKED;
    if (!resizeAllowed) {
        SetWindowPos(
            mainWindow, nullptr, 0, 0, windowGeometry.windowWidth, windowGeometry.windowHeight,
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS);
    }
    // The WM_SIZE of the snap back arrived while resizing was already off and was ignored.
    Relayout(window, false);
}

void OnCommand(HWND window, WPARAM wParam)
{
    if (HIWORD(wParam) != 0) {
        return;
    }
    switch (LOWORD(wParam)) {
    case IDC_RESET_STATISTICS:
        ResetStatistics(window);
        break;
    case IDC_ALLOW_RESIZING:
        OnAllowResizingToggled(window);
        break;
    }
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        Relayout(window, true);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        OnSize(window);
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(lParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_TIMER:
        RunLinePass(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
