// The test-control side: starting afresh, and input as a user gives it, queued or sent the way
// the platform would deliver it.
#include "winport_internal.h"

namespace winport
{

void Reset()
{
    ResetWindows();
    ResetClasses();
    ResetMessages();
    ResetFocus();
    ResetClock();
    ResetTrace();
    ResetDrawing();
}

void PressKey(WPARAM virtualKey, bool shift)
{
    HWND target = FocusWindow() ? FocusWindow() : ActiveWindow();
    if (!target) {
        return;
    }
    QueueMessage(MSG{target, WM_KEYDOWN, virtualKey, 1, 0, POINT{0, 0}}, shift);
    QueueMessage(MSG{target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001), 0, {}}, shift);
}

void ClickButton(HWND button)
{
    Post(button, WM_LBUTTONDOWN, 0, 0);
    Post(button, WM_LBUTTONUP, 0, 0);
}

void ClickCloseBox(HWND window)
{
    Post(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void ResizeByUser(HWND window, int width, int height)
{
    if (IsLive(window) && (window->style & WS_THICKFRAME)) {
        MoveAndSize(window, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Invalidate(HWND window)
{
    if (IsLive(window)) {
        MarkInvalid(window);
    }
}

} // namespace winport
