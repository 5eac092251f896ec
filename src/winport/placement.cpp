// Window classes and the windows' lives: creation, showing, minimizing and maximizing, moving
// and sizing through the min/max pin, and destruction.
#include "winport_internal.h"

#include <algorithm>
#include <cwctype>

namespace winport
{
namespace
{

struct WindowClass {
    std::wstring name;
    UINT style;
    WNDPROC procedure;
    HBRUSH background;
};

std::vector<WindowClass> classes;
int cursorObject;

bool SameName(const std::wstring& a, LPCWSTR b)
{
    if (!b || a.size() != std::wcslen(b)) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

LPARAM ClientSizeParam(HWND window)
{
    const RECT client = ClientRectOf(window);
    return MAKELPARAM(client.right, client.bottom);
}

// Applies a new outer rectangle and tells the window what its client area became.
void PlaceWindow(HWND window, const RECT& rect, WPARAM sizeKind)
{
    const RECT before = ClientRectOf(window);
    window->rect = rect;
    const RECT after = ClientRectOf(window);
    if (after.right != before.right || after.bottom != before.bottom) {
        ResizePixels(window);
        if (window->classStyle & (CS_HREDRAW | CS_VREDRAW)) {
            MarkInvalid(window);
        }
        Send(window, WM_SIZE, sizeKind, ClientSizeParam(window));
    }
}

void SetMinimized(HWND window, bool minimized)
{
    if (window->minimized == minimized) {
        return;
    }
    window->minimized = minimized;
    ResizePixels(window);
    if (!minimized) {
        MarkInvalid(window);
    }
    Send(window, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED, ClientSizeParam(window));
}

void Maximize(HWND window)
{
    SetMinimized(window, false);
    if (window->maximized) {
        return;
    }
    const MINMAXINFO info = QueryMinMax(window);
    window->normalRect = window->rect;
    window->maximized = true;
    PlaceWindow(window,
                RECT{info.ptMaxPosition.x, info.ptMaxPosition.y,
                     info.ptMaxPosition.x + info.ptMaxSize.x,
                     info.ptMaxPosition.y + info.ptMaxSize.y},
                SIZE_MAXIMIZED);
}

void Restore(HWND window)
{
    if (window->minimized) {
        SetMinimized(window, false);
    } else if (window->maximized) {
        window->maximized = false;
        PlaceWindow(window, window->normalRect, SIZE_RESTORED);
    }
}

void ForgetWindow(HWND window)
{
    window->alive = false;
    ForgetMessagesOf(window);
}

void DestroyTree(HWND window)
{
    Send(window, WM_DESTROY, 0, 0);
    for (auto& child : Windows()) {
        if (child->alive && child->parent == window) {
            DestroyTree(child.get());
        }
    }
    ForgetWindow(window);
}

} // namespace

MINMAXINFO QueryMinMax(HWND window)
{
    MINMAXINFO info = {};
    info.ptMaxSize = POINT{screenWidth + 2 * kFrame, screenHeight + 2 * kFrame};
    info.ptMaxPosition = POINT{-kFrame, -kFrame};
    info.ptMinTrackSize = POINT{136, 39};
    info.ptMaxTrackSize = POINT{screenWidth + 2 * kFrame, screenHeight + kCaptionFrame + kFrame};
    Send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

// The window procedure sees WM_WINDOWPOSCHANGING, whose default handling enforces
// WM_GETMINMAXINFO.
void MoveAndSize(HWND window, int x, int y, int cx, int cy, UINT flags)
{
    WINDOWPOS pos = {window, nullptr, x, y, cx, cy, flags};
    Send(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    RECT rect = window->rect;
    if (!(pos.flags & SWP_NOMOVE)) {
        rect =
            RECT{pos.x, pos.y, pos.x + (rect.right - rect.left), pos.y + (rect.bottom - rect.top)};
    }
    if (!(pos.flags & SWP_NOSIZE)) {
        rect.right = rect.left + std::max(pos.cx, 0);
        rect.bottom = rect.top + std::max(pos.cy, 0);
        window->maximized = false;
    }
    PlaceWindow(window, rect, SIZE_RESTORED);
}

void ResetClasses()
{
    classes.clear();
}

} // namespace winport

using namespace winport;

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc ||
        windowClass->cbSize != sizeof(WNDCLASSEXW)) {
        return 0;
    }
    Record("RegisterClassExW", {windowClass->style}, windowClass->lpszClassName);
    for (const WindowClass& known : classes) {
        if (SameName(known.name, windowClass->lpszClassName)) {
            return 0;
        }
    }
    classes.push_back(WindowClass{windowClass->lpszClassName, windowClass->style,
                                  windowClass->lpfnWndProc, windowClass->hbrBackground});
    return static_cast<ATOM>(0xC000 + classes.size());
}

HWND WINAPI CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR text, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE, void*)
{
    const int id = static_cast<int>(reinterpret_cast<std::intptr_t>(menu));
    Record("CreateWindowExW", {x, y, width, height, static_cast<long long>(style), id},
           className ? className : L"");
    if (ShouldFail(Api::CreateWindowExW)) {
        return nullptr;
    }
    auto window = std::make_unique<HWND__>();
    if (SameName(L"BUTTON", className)) {
        window->className = L"Button";
        window->procedure = ButtonProc;
        window->background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    } else {
        for (const WindowClass& known : classes) {
            if (SameName(known.name, className)) {
                window->className = known.name;
                window->classStyle = known.style;
                window->procedure = known.procedure;
                window->background = known.background;
            }
        }
    }
    if (!window->procedure || ((style & WS_CHILD) && !IsLive(parent))) {
        return nullptr;
    }
    window->text = text ? text : L"";
    window->style = style;
    window->parent = (style & WS_CHILD) ? parent : nullptr;
    window->id = (style & WS_CHILD) ? id : 0;
    window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    HWND handle = AddWindow(std::move(window));

    if (IsTopLevel(handle)) {
        const MINMAXINFO info = QueryMinMax(handle);
        const int cx = std::clamp<int>(width, info.ptMinTrackSize.x, info.ptMaxTrackSize.x);
        const int cy = std::clamp<int>(height, info.ptMinTrackSize.y, info.ptMaxTrackSize.y);
        handle->rect = RECT{x, y, x + cx, y + cy};
    }
    ResizePixels(handle);
    if (!Send(handle, WM_NCCREATE, 0, 0)) {
        ForgetWindow(handle);
        return nullptr;
    }
    if (Send(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    Send(handle, WM_SIZE, SIZE_RESTORED, ClientSizeParam(handle));
    if (style & WS_VISIBLE) {
        handle->visible = true; // the style bit is already set
        MarkInvalid(handle);
    }
    return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand)
{
    Record("ShowWindow", {HandleValue(window), showCommand});
    if (!IsLive(window)) {
        return FALSE;
    }
    const bool wasVisible = window->visible;
    window->visible = showCommand != SW_HIDE;
    window->style = window->visible ? (window->style | WS_VISIBLE) : (window->style & ~WS_VISIBLE);
    if (!wasVisible && window->visible) {
        MarkInvalid(window);
    }
    switch (showCommand) {
    case SW_HIDE:
        DeactivateWindow(window);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        SetMinimized(window, true);
        DeactivateWindow(window);
        break;
    case SW_SHOWMINIMIZED:
        SetMinimized(window, true);
        ActivateWindow(window);
        break;
    case SW_MAXIMIZE:
        Maximize(window);
        ActivateWindow(window);
        break;
    default:
        Restore(window);
        if (showCommand != SW_SHOWNOACTIVATE && showCommand != SW_SHOWNA && IsTopLevel(window)) {
            ActivateWindow(window);
        }
        break;
    }
    return wasVisible;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Record("SetWindowPos", {HandleValue(window), HandleValue(insertAfter), x, y, cx, cy, flags});
    if (!IsLive(window)) {
        return FALSE;
    }
    MoveAndSize(window, x, y, cx, cy, flags);
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    Record("DestroyWindow", {HandleValue(window)});
    if (!IsLive(window)) {
        return FALSE;
    }
    DeactivateWindow(window);
    DropFocusInside(window);
    DestroyTree(window);
    return TRUE;
}

HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR)
{
    return reinterpret_cast<HCURSOR>(&cursorObject);
}
