#include "test_support.h"

HWND MakeSurfaceWindow(int clientWidth, int clientHeight)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TestSurface";
    RegisterClassExW(&windowClass);
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExW(0, L"TestSurface", L"surface", WS_OVERLAPPEDWINDOW, 0, 0,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           nullptr, nullptr);
}

std::vector<winport::Call> CallsNamed(const char* name)
{
    std::vector<winport::Call> calls;
    for (const winport::Call& call : winport::Trace()) {
        if (call.name == name) {
            calls.push_back(call);
        }
    }
    return calls;
}

std::wstring LastTextAt(int x, int y)
{
    std::wstring text = L"<none>";
    for (const winport::Call& call : CallsNamed("TextOutW")) {
        if (call.args[0] == x && call.args[1] == y) {
            text = call.text;
        }
    }
    return text;
}
