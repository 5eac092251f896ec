// Windows, messages, timers, focus and the button controls of the portable layer.
#include "winport_internal.h"

#include <algorithm>
#include <cwctype>
#include <deque>

namespace winport
{

int screenWidth = 1920;
int screenHeight = 1080;

namespace
{

struct WindowClass {
    std::wstring name;
    UINT style;
    WNDPROC procedure;
    HBRUSH background;
};

struct Queued {
    MSG message;
    bool shift;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    unsigned long long due;
};

// Frame of a top-level captioned, sizable window: the same on every side but the top.
constexpr int kFrame = 8;
constexpr int kCaptionFrame = 31;

std::vector<std::unique_ptr<HWND__>> windows;
std::vector<WindowClass> classes;
std::deque<Queued> queue;
std::vector<Timer> timers;
std::deque<std::function<void()>> idleSteps;
unsigned long long clockMs = 0;
HWND focus = nullptr;
HWND active = nullptr;
bool shiftDown = false;
bool quitPosted = false;
int quitCode = 0;
bool scriptRanOut = false;
int cursorObject;
std::function<void(HWND, UINT, WPARAM, LPARAM)> deliveryObserver;

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

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

void MarkInvalid(HWND window)
{
    window->invalid = true;
    window->erase = true;
}

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

// The common road of SetWindowPos and of a user dragging the frame: the window's procedure
// sees WM_WINDOWPOSCHANGING, whose default handling enforces WM_GETMINMAXINFO.
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
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [window](const Timer& t) { return t.window == window; }),
                 timers.end());
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window](const Queued& q) { return q.message.hwnd == window; }),
                queue.end());
}

void DestroyTree(HWND window)
{
    Send(window, WM_DESTROY, 0, 0);
    for (auto& child : windows) {
        if (child->alive && child->parent == window) {
            DestroyTree(child.get());
        }
    }
    ForgetWindow(window);
}

HWND WindowNeedingPaint()
{
    for (auto& window : windows) {
        if (window->alive && window->invalid && IsShown(window.get())) {
            const RECT client = ClientRectOf(window.get());
            if (client.right > 0 && client.bottom > 0) {
                return window.get();
            }
        }
    }
    return nullptr;
}

Timer* DueTimer()
{
    for (Timer& timer : timers) {
        if (timer.due <= clockMs) {
            return &timer;
        }
    }
    return nullptr;
}

void MoveTabFocus(HWND dialog, bool backwards)
{
    std::vector<HWND> stops;
    for (auto& child : windows) {
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

void ClickNow(HWND button)
{
    if ((button->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        button->check = button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        MarkInvalid(button);
    }
    Send(button->parent, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED),
         reinterpret_cast<LPARAM>(button));
}

void PaintButton(HWND button)
{
    const RECT client = ClientRectOf(button);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int length = static_cast<int>(button->text.size());
    const int textY = (client.bottom - kCharHeight) / 2;
    FillArea(button, client, face);
    if ((button->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        const int boxTop = (client.bottom - 13) / 2;
        FillArea(button, RECT{0, boxTop, 13, boxTop + 13}, 0x333333);
        FillArea(button, RECT{1, boxTop + 1, 12, boxTop + 12},
                 button->check == BST_CHECKED ? 0x000000 : 0xFFFFFF);
        DrawText(button, 17, textY, button->text.c_str(), length, 0x000000, face);
    } else {
        FillArea(button, RECT{0, client.bottom - 1, client.right, client.bottom},
                 GetSysColor(COLOR_BTNSHADOW));
        FillArea(button, RECT{client.right - 1, 0, client.right, client.bottom},
                 GetSysColor(COLOR_BTNSHADOW));
        DrawText(button, (client.right - length * kCharWidth) / 2, textY, button->text.c_str(),
                 length, 0x000000, face);
    }
    if (focus == button) {
        FillArea(button, RECT{2, client.bottom - 3, client.right - 2, client.bottom - 2}, 0);
    }
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        SetFocus(button);
        return 0;
    case WM_LBUTTONUP:
        ClickNow(button);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            ClickNow(button);
        }
        return 0;
    case BM_CLICK:
        Send(button, WM_LBUTTONDOWN, 0, 0);
        Send(button, WM_LBUTTONUP, 0, 0);
        return 0;
    case BM_GETCHECK:
        return button->check;
    case BM_SETCHECK:
        button->check = static_cast<int>(wParam);
        MarkInvalid(button);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        MarkInvalid(button);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(button, &paint);
        PaintButton(button);
        EndPaint(button, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(button, message, wParam, lParam);
    }
}

} // namespace

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

void Reset()
{
    windows.clear();
    classes.clear();
    queue.clear();
    timers.clear();
    idleSteps.clear();
    clockMs = 0;
    focus = nullptr;
    active = nullptr;
    shiftDown = false;
    quitPosted = false;
    quitCode = 0;
    scriptRanOut = false;
    deliveryObserver = nullptr;
    screenWidth = 1920;
    screenHeight = 1080;
    ResetDrawing();
}

void SetScreenSize(int width, int height)
{
    screenWidth = width;
    screenHeight = height;
}

void AdvanceClock(unsigned milliseconds)
{
    clockMs += milliseconds;
}

unsigned long long Now()
{
    return clockMs;
}

void WhenIdle(std::function<void()> step)
{
    idleSteps.push_back(std::move(step));
}

bool ScriptRanOut()
{
    return scriptRanOut;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsLive(window)) {
        return 0;
    }
    if (deliveryObserver) {
        deliveryObserver(window, message, wParam, lParam);
    }
    return window->procedure(window, message, wParam, lParam);
}

void OnDeliver(std::function<void(HWND, UINT, WPARAM, LPARAM)> observer)
{
    deliveryObserver = std::move(observer);
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    queue.push_back(Queued{MSG{window, message, wParam, lParam, 0, POINT{0, 0}}, shiftDown});
}

void PressKey(WPARAM virtualKey, bool shift)
{
    HWND target = focus ? focus : active;
    if (!target) {
        return;
    }
    queue.push_back(Queued{MSG{target, WM_KEYDOWN, virtualKey, 1, 0, POINT{0, 0}}, shift});
    queue.push_back(
        Queued{MSG{target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001), 0, {}}, shift});
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

int TimerCount(HWND window)
{
    return static_cast<int>(std::count_if(timers.begin(), timers.end(),
                                          [window](const Timer& t) { return t.window == window; }));
}

int QueuedMessages()
{
    return static_cast<int>(queue.size());
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
    window->surface.window = window.get();
    HWND handle = window.get();
    windows.push_back(std::move(window));

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

BOOL WINAPI UpdateWindow(HWND window)
{
    if (!IsLive(window)) {
        return FALSE;
    }
    const RECT client = ClientRectOf(window);
    if (window->invalid && IsShown(window) && client.right > 0 && client.bottom > 0) {
        Send(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC)
{
    Record("SetTimer", {HandleValue(window), static_cast<long long>(id), period});
    if (!IsLive(window) || ShouldFail(Api::SetTimer)) {
        return 0;
    }
    period = std::max(period, 10u);
    for (Timer& timer : timers) {
        if (timer.window == window && timer.id == id) {
            timer.period = period;
            timer.due = clockMs + period;
            return id ? id : 1;
        }
    }
    timers.push_back(Timer{window, id, period, clockMs + period});
    return id ? id : 1;
}

BOOL WINAPI GetMessageW(LPMSG message, HWND, UINT, UINT)
{
    if (ShouldFail(Api::GetMessageW)) {
        return -1;
    }
    for (;;) {
        if (!queue.empty()) {
            *message = queue.front().message;
            shiftDown = queue.front().shift;
            queue.pop_front();
            return TRUE;
        }
        if (quitPosted) {
            quitPosted = false;
            *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, 0, POINT{0, 0}};
            return FALSE;
        }
        if (HWND window = WindowNeedingPaint()) {
            *message = MSG{window, WM_PAINT, 0, 0, 0, POINT{0, 0}};
            return TRUE;
        }
        if (Timer* timer = DueTimer()) {
            timer->due = clockMs + timer->period;
            *message = MSG{timer->window, WM_TIMER, timer->id, 0, 0, POINT{0, 0}};
            return TRUE;
        }
        if (idleSteps.empty()) {
            scriptRanOut = true;
            *message = MSG{nullptr, WM_QUIT, 0, 0, 0, POINT{0, 0}};
            return FALSE;
        }
        const std::function<void()> step = std::move(idleSteps.front());
        idleSteps.pop_front();
        step();
    }
}

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG message)
{
    if (!IsLive(dialog) || !message || !IsLive(message->hwnd) || !IsInside(message->hwnd, dialog)) {
        return FALSE;
    }
    if (message->message == WM_KEYDOWN && message->wParam == VK_TAB) {
        MoveTabFocus(dialog, shiftDown);
        return TRUE;
    }
    DispatchMessageW(message);
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    return message && message->message == WM_KEYDOWN;
}

LRESULT WINAPI DispatchMessageW(const MSG* message)
{
    return message ? Send(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    Record("DestroyWindow", {HandleValue(window)});
    if (!IsLive(window)) {
        return FALSE;
    }
    DeactivateWindow(window);
    if (focus && IsInside(focus, window)) {
        focus = nullptr;
    }
    DestroyTree(window);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    Record("PostQuitMessage", {exitCode});
    quitPosted = true;
    quitCode = exitCode;
}

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

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!IsLive(window) || !paint) {
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    paint->hdc = &window->surface;
    paint->rcPaint = ClientRectOf(window);
    const bool erase = window->erase;
    window->invalid = false;
    window->erase = false;
    if (erase) {
        paint->fErase = !Send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
    }
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT*)
{
    return IsLive(window);
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

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(Send(ChildById(dialog, id), BM_GETCHECK, 0, 0));
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

HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR)
{
    return reinterpret_cast<HCURSOR>(&cursorObject);
}
