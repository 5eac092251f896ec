// What a person's desktop does to Zolvik's window during a run: minimizing and restoring it,
// moving it (partly off the screen, too) and laying another window over its top panel.
#include "probe.h"

#include <cstdio>

namespace probe
{

namespace
{

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

// A plain popup over the readout and caption, kept for `seconds`, as a console window that
// lands there would be.
void Cover(HWND main, int seconds)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CoverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = L"ZolvikProbeCover";
    RegisterClassW(&wc);
    POINT origin = {0, 0};
    ClientToScreen(main, &origin);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"cover", WS_POPUP, origin.x,
                                 origin.y, 600, 60, nullptr, nullptr, wc.hInstance, nullptr);
    Expect(cover != nullptr, "cover window created");
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    const DWORD until = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    DestroyWindow(cover);
}

} // namespace

void DesktopEvent(HWND main, const std::wstring& action, int x, int y)
{
    if (action == L"minimize") {
        ShowWindow(main, SW_MINIMIZE);
        Expect(IsIconic(main) != 0, "minimized");
    } else if (action == L"restore") {
        ShowWindow(main, SW_RESTORE);
        Expect(!IsIconic(main), "restored");
    } else if (action == L"move") {
        Expect(SetWindowPos(main, nullptr, x, y, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0,
               "moved");
    } else if (action == L"cover") {
        Cover(main, x > 0 ? x : 3);
    } else {
        Expect(false, "a known desktop event");
    }
    RECT rect;
    GetWindowRect(main, &rect);
    std::printf("window at (%ld, %ld)-(%ld, %ld)\n", rect.left, rect.top, rect.right, rect.bottom);
}

} // namespace probe
