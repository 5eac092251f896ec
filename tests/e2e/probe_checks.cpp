// The probe's checks of a running Zolvik as a person at the screen would see it: window,
// controls, the grid's pixels, text, resizing, focus and the file's resources.
#include "probe.h"

#include <windows.h>

#include "windows/screen_pixels.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace probe
{
namespace
{

const wchar_t kTitle[] =
    L"Zolvik (specifically for demonstration of RADEON drivers 2D bug) v. 1.3.0.0";

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

unsigned Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// Counts the pixels of `text` rendered here that differ from the screen at (x, y).
int TextMismatches(const Pixels& screen, int x, int y, const std::wstring& text)
{
    const Pixels expected = RenderText(text);
    int mismatches = 0;
    for (int row = 0; row < expected.height; ++row) {
        for (int column = 0; column < expected.width; ++column) {
            mismatches += screen.At(x + column, y + row) != expected.At(column, row);
        }
    }
    return expected.width > 0 ? mismatches : -1;
}

// Waits until `condition` holds for a fresh capture, up to about two seconds.
template <typename Condition> bool EventuallyOnScreen(HWND window, Condition condition)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        Sleep(60);
        if (condition(CaptureClient(window))) {
            return true;
        }
    }
    return false;
}

RECT ChildRectInParent(HWND child, HWND parent)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// The first pixel below the readout and the controls (y 40 on) that does not show the grid of
// a drawing rectangle (4, 84, right, bottom) on button face, or an empty string.
std::string GridProblem(const Pixels& screen, int right, int bottom)
{
    const unsigned blue = 0x0000FF;
    const unsigned window = Rgb(GetSysColor(COLOR_WINDOW));
    const unsigned face = Rgb(GetSysColor(COLOR_BTNFACE));
    char problem[160] = {};
    for (int y = 40; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            unsigned wanted = face;
            if (x >= 4 && x < right && y >= 84 && y < bottom) {
                wanted = (x % 4 == 0 || y % 4 == 0) ? blue : window;
            }
            if (screen.At(x, y) != wanted) {
                std::snprintf(problem, sizeof problem, "pixel (%d, %d) is %06x, wanted %06x", x, y,
                              screen.At(x, y), wanted);
                return problem;
            }
        }
    }
    return std::string();
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name)
{
    std::wstring path = std::wstring(L"\\StringFileInfo\\041904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) {
        return L"<missing>";
    }
    return static_cast<const wchar_t*>(value);
}

} // namespace

void CheckWindow(HWND main)
{
    wchar_t className[64] = {};
    GetClassNameW(main, className, 64);
    ExpectText(className, kClassName, "class name");
    ExpectText(TextOf(main), kTitle, "title");
    ExpectEqual(GetWindowLongW(main, GWL_STYLE) & 0x00CF0000, 0x00CF0000, "overlapped style");

    RECT client;
    GetClientRect(main, &client);
    ExpectEqual(client.right, kClientWidth, "client width");
    ExpectEqual(client.bottom, kClientHeight, "client height");
    RECT outer = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    RECT actual;
    GetWindowRect(main, &actual);
    ExpectEqual(actual.right - actual.left, outer.right - outer.left, "outer width");
    ExpectEqual(actual.bottom - actual.top, outer.bottom - outer.top, "outer height");
    std::printf("  outer size %ld x %ld\n", actual.right - actual.left, actual.bottom - actual.top);
}

void CheckControls(HWND main)
{
    struct Expected {
        int id;
        const wchar_t* text;
        LONG style;
        RECT rect;
    };
    const Expected controls[] = {
        {1, L"Reset statistics", 0x50010F00, {350, 6, 470, 32}},
        {10, L"Allow window resizing", 0x50010003, {600, 4, 780, 26}},
    };
    for (const Expected& c : controls) {
        HWND control = GetDlgItem(main, c.id);
        Expect(control != nullptr, "control exists", c.id);
        if (!control) {
            continue;
        }
        wchar_t className[64] = {};
        GetClassNameW(control, className, 64);
        Expect(_wcsicmp(className, L"BUTTON") == 0, "control class is BUTTON", c.id);
        ExpectText(TextOf(control), c.text, "control text");
        ExpectEqual(GetDlgCtrlID(control), c.id, "control identifier");
        ExpectEqual(GetWindowLongW(control, GWL_STYLE), c.style, "control style");
        const RECT r = ChildRectInParent(control, main);
        ExpectEqual(r.left, c.rect.left, "control left");
        ExpectEqual(r.top, c.rect.top, "control top");
        ExpectEqual(r.right, c.rect.right, "control right");
        ExpectEqual(r.bottom, c.rect.bottom, "control bottom");
    }
    ExpectEqual(SendMessageW(GetDlgItem(main, 10), BM_GETCHECK, 0, 0), BST_UNCHECKED,
                "check box unchecked");
    HWND focus = FocusOf(main);
    Expect(focus != GetDlgItem(main, 1) && focus != GetDlgItem(main, 10),
           "start-up focuses neither control");
}

void CheckGrid(HWND main)
{
    std::string problem;
    const bool ok = EventuallyOnScreen(main, [&problem](const Pixels& screen) {
        problem = GridProblem(screen, 904, 684);
        return problem.empty();
    });
    if (!ok) {
        std::printf("  %s\n", problem.c_str());
    }
    Expect(ok, "blue grid over 900 x 600, window colour between lines, face around");
}

void CheckCaption(HWND main)
{
    int mismatches = 0;
    EventuallyOnScreen(main, [&mismatches](const Pixels& screen) {
        mismatches = TextMismatches(screen, 4, 4, L"Line drawing time:");
        return mismatches == 0;
    });
    ExpectEqual(mismatches, 0, "caption pixels differing from \"Line drawing time:\"");
}

// A tick may fall between the click and the capture; the click is tried again then.
void CheckReset(HWND main)
{
    const std::wstring zero = L"0.000000 msec    ";
    int mismatches = -1;
    for (int attempt = 0; attempt < 6 && mismatches != 0; ++attempt) {
        SendMessageW(GetDlgItem(main, 1), BM_CLICK, 0, 0);
        Sleep(80);
        mismatches = TextMismatches(CaptureClient(main), 200, 4, zero);
    }
    ExpectEqual(mismatches, 0, "pixels differing from \"0.000000 msec    \" after a reset");
    Sleep(700);
    ExpectEqual(TextMismatches(CaptureClient(main), 200, 4, zero) > 0, 1,
                "value no longer zero a tick later");
}

void CheckResizing(HWND main)
{
    HWND box = GetDlgItem(main, 10);
    RECT fixed;
    GetWindowRect(main, &fixed);
    const int width = fixed.right - fixed.left;
    const int height = fixed.bottom - fixed.top;

    SendMessageW(box, BM_CLICK, 0, 0);
    ExpectEqual(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED, "box checked");
    SetOuterSize(main, width + 200, height + 120);
    RECT client;
    GetClientRect(main, &client);
    ExpectEqual(client.right, kClientWidth + 200, "enlarged client width");
    ExpectEqual(client.bottom, kClientHeight + 120, "enlarged client height");
    std::string problem;
    bool ok = EventuallyOnScreen(main, [&](const Pixels& screen) {
        problem = GridProblem(screen, client.right - 4, client.bottom - 4);
        return problem.empty() && TextMismatches(screen, 4, 4, L"Line drawing time:") == 0;
    });
    if (!ok) {
        std::printf("  enlarged: %s\n", problem.c_str());
    }
    Expect(ok, "grid follows the enlarged client area with its margin, caption in place");
    const RECT button = ChildRectInParent(GetDlgItem(main, 1), main);
    ExpectEqual(button.left, 350, "button stays at x 350");
    ExpectEqual(ChildRectInParent(box, main).left, 600, "box stays at x 600");

    SendMessageW(box, BM_CLICK, 0, 0);
    ExpectEqual(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED, "box unchecked");
    RECT snapped;
    GetWindowRect(main, &snapped);
    ExpectEqual(snapped.left, fixed.left, "same left after snapping back");
    ExpectEqual(snapped.top, fixed.top, "same top after snapping back");
    ExpectEqual(snapped.right - snapped.left, width, "fixed width after snapping back");
    ExpectEqual(snapped.bottom - snapped.top, height, "fixed height after snapping back");
    SendMessageW(main, WM_PAINT, 0, 0); // make sure a pass ran on the refitted rectangle
    ok = EventuallyOnScreen(main, [&problem](const Pixels& screen) {
        problem = GridProblem(screen, 904, 684);
        return problem.empty();
    });
    if (!ok) {
        std::printf("  snapped back: %s\n", problem.c_str());
    }
    Expect(ok, "grid back to 900 x 600");

    SetOuterSize(main, width + 300, height + 300);
    RECT pinned;
    GetWindowRect(main, &pinned);
    ExpectEqual(pinned.right - pinned.left, width, "width unchanged while pinned");
    ExpectEqual(pinned.bottom - pinned.top, height, "height unchanged while pinned");
}

// Tab from wherever the focus is: onto a control, then to the other one, then back.
void CheckTab(HWND main)
{
    HWND reset = GetDlgItem(main, 1);
    HWND box = GetDlgItem(main, 10);
    HWND previous = nullptr;
    for (int press = 0; press < 3; ++press) {
        HWND target = FocusOf(main);
        PostMessageW(target ? target : main, WM_KEYDOWN, VK_TAB, 0);
        Sleep(150);
        HWND focus = FocusOf(main);
        Expect(focus == reset || focus == box, "Tab puts the focus on a control");
        Expect(focus != previous, "Tab moves to the other control");
        previous = focus;
    }
}

bool CheckResources(const wchar_t* exe)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe, &handle);
    Expect(size > 0, "version record present");
    if (size == 0) {
        return false;
    }
    std::vector<BYTE> block(size);
    GetFileVersionInfoW(exe, 0, size, block.data());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    Expect(fixed != nullptr, "fixed file info");
    if (fixed) {
        ExpectEqual(fixed->dwFileVersionMS, 0x00010003, "file version high");
        ExpectEqual(fixed->dwFileVersionLS, 0, "file version low");
        ExpectEqual(fixed->dwProductVersionMS, 0x00010003, "product version high");
        ExpectEqual(fixed->dwProductVersionLS, 0, "product version low");
        ExpectEqual(fixed->dwFileFlagsMask, 0x17, "flag mask");
        ExpectEqual(fixed->dwFileFlags, 0, "flags");
        ExpectEqual(fixed->dwFileOS, VOS_NT_WINDOWS32, "operating system");
        ExpectEqual(fixed->dwFileType, VFT_APP, "file type");
        ExpectEqual(fixed->dwFileSubtype, 0, "subtype");
    }
    DWORD* translation = nullptr;
    VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    Expect(translation && length >= 4, "translation entry");
    if (translation) {
        ExpectEqual(LOWORD(*translation), 0x0419, "translation language");
        ExpectEqual(HIWORD(*translation), 1200, "translation code page");
    }
    ExpectText(VersionString(block, L"FileDescription"),
               L"Zolvik Application (specifically for demonstration of RADEON drivers 2D bug)",
               "FileDescription");
    ExpectText(VersionString(block, L"FileVersion"), L"1.3.0.0", "FileVersion");
    ExpectText(VersionString(block, L"InternalName"), L"Zolvik", "InternalName");
    ExpectText(VersionString(block, L"OriginalFilename"), L"Zolvik.exe", "OriginalFilename");
    ExpectText(VersionString(block, L"ProductName"),
               L"Zolvik (specifically for demonstration of RADEON drivers 2D bug)", "ProductName");
    ExpectText(VersionString(block, L"ProductVersion"), L"1.3.0.0", "ProductVersion");

    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Expect(module != nullptr, "file loads as data");
    if (!module) {
        return false;
    }
    Expect(FindResourceExW(module, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
                           MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)) != nullptr,
           "version record in language 1049");
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    Expect(manifest != nullptr, "manifest resource 1");
    if (manifest) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
        const std::string xml(text, SizeofResource(module, manifest));
        Expect(xml.find("level=\"asInvoker\"") != std::string::npos, "asInvoker");
        Expect(xml.find("uiAccess=\"false\"") != std::string::npos, "uiAccess false");
        Expect(xml.find("dependency") == std::string::npos, "no dependency");
        Expect(xml.find("dpiAware") == std::string::npos, "no DPI awareness");
    }
    FreeLibrary(module);
    return true;
}

} // namespace probe
