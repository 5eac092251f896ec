// Activation, the keyboard focus and the dialogue keys: which window is active, which has the
// focus, and Tab moving it between a dialogue's controls.
#include "winport_internal.h"

#include <algorithm>

namespace winport
{
namespace
{

HWND focus = nullptr;
HWND active = nullptr;

void MoveTabFocus(HWND dialog, bool backwards)
{
    std::vector<HWND> stops;
    for (auto& child : Windows()) {
        if (child->alive && child->parent == dialog && child->visible &&
            (child->style & WS_TABSTOP) && !(child->style & WS_DISABLED)) {
            stops.push_back(child.get());
        }
    }
    if (stops.empty()) {
        return;
    }
    const auto current = std::find(stops.begin(), stops.end(), focus);
    size_t next = 0;
    if (current == stops.end()) {
        next = backwards ? stops.size() - 1 : 0;
    } else {
        const size_t at = static_cast<size_t>(current - stops.begin());
        next = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
    }
    SetFocus(stops[next]);
}

} // namespace

HWND FocusWindow()
{
    return focus;
}

HWND ActiveWindow()
{
    return active;
}

void DeactivateWindow(HWND window)
{
    if (active != window) {
        return;
    }
    // The focus is still inside while WM_ACTIVATE is handled, and leaves afterwards.
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, window->minimized ? 1 : 0), 0);
    active = nullptr;
    if (focus && IsInside(focus, window)) {
        SetFocus(nullptr);
    }
}

void ActivateWindow(HWND window)
{
    if (active == window) {
        return;
    }
    if (active) {
        DeactivateWindow(active);
    }
    active = window;
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, window->minimized ? 1 : 0), 0);
    if (IsLive(window) && !window->minimized && !(focus && IsInside(focus, window))) {
        SetFocus(window);
    }
}

void DropFocusInside(HWND window)
{
    if (focus && IsInside(focus, window)) {
        focus = nullptr;
    }
}

void ResetFocus()
{
    focus = nullptr;
    active = nullptr;
}

void Activate(HWND window)
{
    if (IsLive(window)) {
        ActivateWindow(window);
    }
}

void Deactivate(HWND window)
{
    if (IsLive(window)) {
        DeactivateWindow(window);
    }
}

} // namespace winport

using namespace winport;

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG message)
{
    if (!IsLive(dialog) || !message || !IsLive(message->hwnd) || !IsInside(message->hwnd, dialog)) {
        return FALSE;
    }
    if (message->message == WM_KEYDOWN && message->wParam == VK_TAB) {
        MoveTabFocus(dialog, ShiftWasDown());
        return TRUE;
    }
    DispatchMessageW(message);
    return TRUE;
}

HWND WINAPI GetFocus()
{
    return focus;
}

HWND WINAPI SetFocus(HWND window)
{
    Record("SetFocus", {HandleValue(window)});
    if (window && !IsLive(window)) {
        return nullptr;
    }
    const HWND previous = focus;
    if (window == focus) {
        return previous;
    }
    focus = window;
    Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && focus == window) {
        Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}
