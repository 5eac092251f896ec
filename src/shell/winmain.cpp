#include "shell.h"

#include "../bench/bench.h"

namespace
{

const wchar_t kClassName[] = ZOLVIK_WINDOW_CLASS;
const wchar_t kTitle[] =
    L"Zolvik (specifically for demonstration of RADEON drivers 2D bug) v. " ZOLVIK_VERSION_TEXT;
constexpr UINT kPassPeriodMs = 500;
constexpr UINT_PTR kPassTimer = 0;

void RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style =
        CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_SAVEBITS | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = SystemColourFill(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    // A failed registration shows up as a failed creation of the main window.
    RegisterClassExW(&windowClass);
}

HWND CreateControl(HINSTANCE instance, const wchar_t* text, DWORD style, int x, int y, int width,
                   int height, int id)
{
    return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y,
                           width, height, mainWindow,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

} // namespace

bool CreateMainWindow(HINSTANCE instance, int showCommand)
{
    if (!ComputeWindowSize()) {
        return false;
    }
    // Creation sends WM_GETMINMAXINFO and WM_CREATE before it returns, so the size is pinned
    // and the drawing rectangle fitted while mainWindow is still null.
    mainWindow = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 10, 10,
                                 windowGeometry.windowWidth, windowGeometry.windowHeight, nullptr,
                                 nullptr, instance, nullptr);
    if (!mainWindow) {
        return false;
    }
    if (!CreateControl(instance, L"Reset statistics", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, 350,
                       6, 120, 26, IDC_RESET_STATISTICS)) {
        return false;
    }
    if (!CreateControl(instance, L"Allow window resizing", BS_AUTOCHECKBOX, 600, 4, 180, 22,
                       IDC_ALLOW_RESIZING)) {
        return false;
    }
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow); // the first pass
    return true;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    RegisterMainClass(instance);
    if (!CreateMainWindow(instance, showCommand)) {
        return 0;
    }
    if (!SetTimer(mainWindow, kPassTimer, kPassPeriodMs, nullptr)) {
        return 0;
    }
    MSG message;
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) {
            return static_cast<int>(message.wParam);
        }
        if (result == -1) {
            return 1;
        }
        // Escape closes the program whichever control has the focus; the dialogue handling
        // never sees it.
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            DestroyWindow(mainWindow);
        } else if (!IsDialogMessageW(mainWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
