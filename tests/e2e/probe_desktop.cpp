// What a person's desktop does to Zolvik's window during a run: minimizing and restoring it,
// moving it (partly off the screen, too) and laying another window over its top panel.
#include "probe.h"

#include "windows/readout.h"
#include "windows/screen_pixels.h"

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
    } else if (action == L"state") {
        // Only says how the window stands, for comparing before and after.
    } else if (action == L"standard") {
        // As Zolvik starts: shown, its fixed size with resizing locked, at (10, 10).
        if (IsIconic(main)) {
            ShowWindow(main, SW_RESTORE);
        }
        RestoreDesignedSize(main);
        SetWindowPos(main, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(main, &client);
        Expect(!IsIconic(main) && client.right == kClientWidth && client.bottom == kClientHeight,
               "shown at the designed size");
    } else {
        Expect(false, "a known desktop event");
    }
    RECT rect;
    GetWindowRect(main, &rect);
    RECT client;
    GetClientRect(main, &client);
    const bool allowed = SendMessageW(GetDlgItem(main, 10), BM_GETCHECK, 0, 0) == BST_CHECKED;
    std::printf("window at (%ld, %ld)-(%ld, %ld), client %ld x %ld, resizing %s%s\n", rect.left,
                rect.top, rect.right, rect.bottom, client.right, client.bottom,
                allowed ? "allowed" : "locked", IsIconic(main) ? ", minimized" : "");
}

} // namespace probe

namespace probe
{

namespace
{

// Width, height, then a row a line of 0xRRGGBB values in hexadecimal.
void SavePixels(const std::wstring& path, const Pixels& pixels)
{
    std::FILE* file = _wfopen(path.c_str(), L"w");
    Expect(file != nullptr, "a pixels file opened");
    if (!file) {
        return;
    }
    std::fprintf(file, "%d %d\n", pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            std::fprintf(file, x ? " %06x" : "%06x", pixels.At(x, y));
        }
        std::fprintf(file, "\n");
    }
    std::fclose(file);
}

} // namespace

void SaveReadoutData(HWND main, const std::wstring& folder)
{
    for (const wchar_t* c = kReadoutChars; *c; ++c) {
        SavePixels(folder + L"\\glyph-" +
                       (*c == L'.' ? std::wstring(L"point") : std::wstring(1, *c)) + L".txt",
                   RenderText(std::wstring(1, *c)));
    }
    SavePixels(folder + L"\\glyph-unit.txt", RenderText(L" msec"));
    const Pixels unit = RenderText(L" msec");
    // A pass may change the readout meanwhile: the capture counts only between two equal reads.
    ReadoutCamera camera;
    Expect(OpenCamera(camera, main), "screen readable");
    Reading reading;
    Pixels strip;
    for (int attempt = 0; attempt < 20; ++attempt) {
        reading = ReadReadout(camera);
        strip = CaptureClient(main, 200, 4, 240, unit.height);
        if (reading.decoded && ReadReadout(camera).text == reading.text) {
            break;
        }
        reading = Reading();
    }
    CloseCamera(camera);
    SavePixels(folder + L"\\readout.txt", strip);
    Expect(reading.decoded, "the readout decoded");
    std::FILE* value = _wfopen((folder + L"\\readout-value.txt").c_str(), L"w");
    if (value) {
        std::fprintf(value, "%ls\n", reading.text.c_str());
        std::fclose(value);
    }
}

} // namespace probe
