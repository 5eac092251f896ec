#include "windows/window_view.h"
#include "zolvik_facts.h"

#include "bench/bench.h"
#include "windows/exports.h"

namespace
{

constexpr int kReadoutRight = 440;
constexpr int kReadoutBottom = 40;

RECT ClientRectOnScreen(HWND window, int left, int top, int right, int bottom)
{
    POINT from = {left, top};
    POINT to = {right, bottom};
    ClientToScreen(window, &from);
    ClientToScreen(window, &to);
    return RECT{from.x, from.y, to.x, to.y};
}

bool WhollyOnScreen(const RECT& area)
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return area.left >= left && area.top >= top && area.right <= right && area.bottom <= bottom;
}

// A visible window above Zolvik's that overlaps the readout.
bool ReadoutCovered(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const RECT readout = ClientRectOnScreen(
        window, kReadoutLeft, kReadoutTop,
        kReadoutRight < client.right ? kReadoutRight : client.right, kReadoutBottom);
    for (HWND above = GetWindow(window, GW_HWNDPREV); above;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT rect;
        RECT overlap;
        if (IsWindowVisible(above) && !IsIconic(above) && GetWindowRect(above, &rect) &&
            IntersectRect(&overlap, &rect, &readout)) {
            return true;
        }
    }
    return false;
}

} // namespace

DpiScope::DpiScope(HWND window)
{
    using GetContext = void*(WINAPI*)(HWND);
    using SetContext = void*(WINAPI*)(void*);
    static const auto getContext =
        Export<GetContext>(L"user32.dll", "GetWindowDpiAwarenessContext");
    static const auto setContext =
        Export<SetContext>(L"user32.dll", "SetThreadDpiAwarenessContext");
    if (getContext && setContext) {
        void* context = getContext(window);
        previous = context ? setContext(context) : nullptr;
    }
}

DpiScope::~DpiScope()
{
    using SetContext = void*(WINAPI*)(void*);
    static const auto setContext =
        Export<SetContext>(L"user32.dll", "SetThreadDpiAwarenessContext");
    if (previous && setContext) {
        setContext(previous);
    }
}

bool KeepsCoveredPixels()
{
    using IsComposed = HRESULT(WINAPI*)(BOOL*);
    static const auto isComposed = Export<IsComposed>(L"dwmapi.dll", "DwmIsCompositionEnabled");
    BOOL composed = FALSE;
    return isComposed && SUCCEEDED(isComposed(&composed)) && composed;
}

Sight SightOf(HWND window)
{
    if (!IsWindow(window)) {
        return Sight::Gone;
    }
    if (IsIconic(window)) {
        return Sight::Minimized;
    }
    if (!IsWindowVisible(window)) {
        return Sight::Hidden;
    }
    const DpiScope scope(window);
    RECT client;
    GetClientRect(window, &client);
    const RECT area = DrawingRectOf(client);
    if (!WhollyOnScreen(ClientRectOnScreen(window, area.left, area.top, area.right, area.bottom))) {
        return Sight::OffScreen;
    }
    if (!KeepsCoveredPixels() && ReadoutCovered(window)) {
        return Sight::Covered;
    }
    return Sight::Readable;
}

const char* DescribeDpiAwareness(HWND window)
{
    using GetWindowContext = void*(WINAPI*)(HWND);
    using GetThreadContext = void*(WINAPI*)();
    using GetAwareness = int(WINAPI*)(void*);
    static const auto windowContext =
        Export<GetWindowContext>(L"user32.dll", "GetWindowDpiAwarenessContext");
    static const auto threadContext =
        Export<GetThreadContext>(L"user32.dll", "GetThreadDpiAwarenessContext");
    static const auto awareness =
        Export<GetAwareness>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
    if (!windowContext || !threadContext || !awareness) {
        return "not known (before Windows 10 1607)";
    }
    switch (awareness(window ? windowContext(window) : threadContext())) {
    case 0:
        return "unaware";
    case 1:
        return "system aware";
    case 2:
        return "per-monitor aware";
    default:
        return "not known";
    }
}

int DisplayDpi(HWND window)
{
    HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    // An unaware window's own DPI is 96 and an unaware caller's screen DC says 96 too: the
    // larger of the two is the monitor's.
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = Export<GetDpiForWindow>(L"user32.dll", "GetDpiForWindow");
    const int windowDpi = dpiForWindow ? static_cast<int>(dpiForWindow(window)) : 0;
    return windowDpi > screenDpi ? windowDpi : screenDpi;
}

bool BringToTop(HWND window)
{
    return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER) != 0;
}
