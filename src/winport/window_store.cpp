// The windows themselves: where they are kept, which are alive, their client areas, frame
// sizes and pixel buffers, and what tests may read of them.
#include "winport_internal.h"

#include <algorithm>

namespace winport
{

int screenWidth = 1920;
int screenHeight = 1080;

namespace
{

// Destroyed windows stay here, marked dead, so that a stale handle is never reused.
std::vector<std::unique_ptr<HWND__>> windows;
bool pixelsKept = true;

} // namespace

HWND AddWindow(std::unique_ptr<HWND__> window)
{
    window->surface.window = window.get();
    windows.push_back(std::move(window));
    return windows.back().get();
}

const std::vector<std::unique_ptr<HWND__>>& Windows()
{
    return windows;
}

bool IsLive(HWND window)
{
    if (!window) {
        return false;
    }
    for (auto& w : windows) {
        if (w.get() == window) {
            return w->alive;
        }
    }
    return false;
}

bool IsTopLevel(HWND window)
{
    return !(window->style & WS_CHILD);
}

bool IsInside(HWND window, HWND ancestor)
{
    for (HWND w = window; w; w = w->parent) {
        if (w == ancestor) {
            return true;
        }
    }
    return false;
}

bool IsShown(HWND window)
{
    for (HWND w = window; w; w = w->parent) {
        if (!w->visible) {
            return false;
        }
    }
    return true;
}

RECT ClientRectOf(HWND window)
{
    if (window->minimized) {
        return RECT{0, 0, 0, 0};
    }
    int width = window->rect.right - window->rect.left;
    int height = window->rect.bottom - window->rect.top;
    if (IsTopLevel(window)) {
        width -= 2 * kFrame;
        height -= kCaptionFrame + kFrame;
    }
    return RECT{0, 0, std::max(width, 0), std::max(height, 0)};
}

void MarkInvalid(HWND window)
{
    window->invalid = true;
    window->erase = true;
}

void ResizePixels(HWND window)
{
    const RECT client = ClientRectOf(window);
    const int width = pixelsKept ? std::min<int>(client.right, screenWidth * 2) : 0;
    const int height = pixelsKept ? std::min<int>(client.bottom, screenHeight * 2) : 0;
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height, 0x000000);
    for (int y = 0; y < std::min(height, window->pixelHeight); ++y) {
        for (int x = 0; x < std::min(width, window->pixelWidth); ++x) {
            pixels[static_cast<size_t>(y) * width + x] =
                window->pixels[static_cast<size_t>(y) * window->pixelWidth + x];
        }
    }
    window->pixels.swap(pixels);
    window->pixelWidth = width;
    window->pixelHeight = height;
}

void ResetWindows()
{
    windows.clear();
    pixelsKept = true;
    screenWidth = 1920;
    screenHeight = 1080;
}

void SetScreenSize(int width, int height)
{
    screenWidth = width;
    screenHeight = height;
}

void KeepPixels(bool on)
{
    pixelsKept = on;
}

HWND ChildById(HWND parent, int id)
{
    for (auto& w : windows) {
        if (w->alive && w->parent == parent && parent && w->id == id) {
            return w.get();
        }
    }
    return nullptr;
}

std::wstring WindowText(HWND window)
{
    return IsLive(window) ? window->text : std::wstring();
}

std::wstring ClassName(HWND window)
{
    return IsLive(window) ? window->className : std::wstring();
}

DWORD Style(HWND window)
{
    return IsLive(window) ? window->style : 0;
}

RECT OuterRect(HWND window)
{
    return IsLive(window) ? window->rect : RECT{0, 0, 0, 0};
}

bool IsAlive(HWND window)
{
    return IsLive(window);
}

bool IsVisible(HWND window)
{
    return IsLive(window) && window->visible;
}

bool IsMinimized(HWND window)
{
    return IsLive(window) && window->minimized;
}

} // namespace winport

using namespace winport;

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    Record("AdjustWindowRect", {static_cast<long long>(style), menu});
    if (!rect || ShouldFail(Api::AdjustWindowRect)) {
        return FALSE;
    }
    rect->left -= kFrame;
    rect->right += kFrame;
    rect->top -= (style & WS_CAPTION) == WS_CAPTION ? kCaptionFrame : kFrame;
    rect->bottom += kFrame;
    if (menu) {
        rect->top -= 20;
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    if (!IsLive(window) || !rect) {
        return FALSE;
    }
    *rect = ClientRectOf(window);
    return TRUE;
}
