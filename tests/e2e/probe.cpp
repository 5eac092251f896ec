// Inspects and drives a running Zolvik from outside its process, as a person at the screen
// would see it: window, controls, pixels on the screen, text, focus and the file's resources.
// Usage: zolvik_probe CHECK [path of Zolvik.exe]. Prints PASS or FAIL lines; exit code 0 when
// every assertion held.
#include <windows.h>

#include <psapi.h>

#include "readout.h"
#include "screen_pixels.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace
{

const wchar_t kClassName[] = L"ZolvikWindowClass";
const wchar_t kTitle[] =
    L"Zolvik (specifically for demonstration of RADEON drivers 2D bug) v. 1.3.0.0";
constexpr int kClientWidth = 908;
constexpr int kClientHeight = 688;

int failures = 0;

void Expect(bool condition, const char* what, long long got = 0, long long wanted = 0)
{
    if (!condition) {
        ++failures;
        std::printf("  FAILED: %s (got %lld = 0x%llx, wanted %lld = 0x%llx)\n", what, got,
                    static_cast<unsigned long long>(got), wanted,
                    static_cast<unsigned long long>(wanted));
    }
}

void ExpectEqual(long long got, long long wanted, const char* what)
{
    Expect(got == wanted, what, got, wanted);
}

void ExpectText(const std::wstring& got, const std::wstring& wanted, const char* what)
{
    if (got != wanted) {
        ++failures;
        std::printf("  FAILED: %s: got \"%ls\", wanted \"%ls\"\n", what, got.c_str(),
                    wanted.c_str());
    }
}

HWND FindMainWindow()
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (HWND window = FindWindowW(kClassName, nullptr)) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

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

// --- Checks -----------------------------------------------------------------------------

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

void SetOuterSize(HWND main, int width, int height)
{
    SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
// Allows resizing and gives the window a client area with a drawing rectangle of the size.
void SetDrawingArea(HWND main, int width, int height)
{
    HWND box = GetDlgItem(main, 10);
    if (SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        SendMessageW(box, BM_CLICK, 0, 0);
    }
    RECT outer = {0, 0, width + 8, height + 88};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    SetOuterSize(main, outer.right - outer.left, outer.bottom - outer.top);
    RECT client;
    GetClientRect(main, &client);
    ExpectEqual(client.right, width + 8, "client width for the drawing area");
    ExpectEqual(client.bottom, height + 88, "client height for the drawing area");
}

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

// Escape is posted to a control: the loop must catch it whatever window it is addressed to.
void PressEscape(HWND main)
{
    PostMessageW(GetDlgItem(main, 1), WM_KEYDOWN, VK_ESCAPE, 0);
}

void CloseBox(HWND main)
{
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
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

struct ProcessFigures {
    DWORD gdiObjects;
    DWORD userObjects;
    DWORD handles;
    SIZE_T privateBytes;
    SIZE_T workingSet;
};

ProcessFigures FiguresOf(HANDLE process)
{
    ProcessFigures figures = {};
    figures.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    figures.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &figures.handles);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        figures.privateBytes = memory.PrivateUsage;
        figures.workingSet = memory.WorkingSetSize;
    }
    return figures;
}

void ExpectNoGrowth(const char* name, unsigned long long start, unsigned long long end)
{
    std::printf("  %-14s %12llu -> %12llu%s\n", name, start, end,
                start == 0 && end == 0 ? "   (not reported by this platform)" : "");
    Expect(end <= start, name, static_cast<long long>(end), static_cast<long long>(start));
}

// Runs `passes` repaints, each a synchronous repaint request, with a reset every 300, and
// checks that none of the program's object counts or private bytes grew meanwhile.
void CheckSoak(HWND main, int passes)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    Expect(process != nullptr, "process opened");
    const ProcessFigures start = FiguresOf(process);
    const ULONGLONG began = GetTickCount64();
    for (int pass = 1; pass <= passes && IsWindow(main); ++pass) {
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        if (pass % 300 == 0) {
            SendMessageW(GetDlgItem(main, 1), BM_CLICK, 0, 0);
        }
    }
    const double seconds = static_cast<double>(GetTickCount64() - began) / 1000.0;
    const ProcessFigures end = FiguresOf(process);
    Expect(IsWindow(main) != FALSE, "the window survived the soak");
    std::printf("  %d repaint passes in %.1f s: %.0f passes per second (plus the timer's)\n",
                passes, seconds, seconds > 0 ? passes / seconds : 0.0);
    ExpectNoGrowth("GDI objects", start.gdiObjects, end.gdiObjects);
    ExpectNoGrowth("USER objects", start.userObjects, end.userObjects);
    ExpectNoGrowth("handles", start.handles, end.handles);
    ExpectNoGrowth("private bytes", start.privateBytes, end.privateBytes);
    std::printf("  %-14s %12llu -> %12llu (reported, not checked)\n", "working set",
                static_cast<unsigned long long>(start.workingSet),
                static_cast<unsigned long long>(end.workingSet));
    CloseHandle(process);
}

// A window that looks like Zolvik to a finder (same class, a button 1) but shows no readout.
LRESULT CALLBACK ImpostorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC surface = BeginPaint(window, &paint);
        for (int x = 200; x < 400; x += 6) {
            const RECT stripe = {x, 4, x + 3, 24};
            FillRect(surface, &stripe, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunImpostor()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ImpostorProc;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, kClassName, L"impostor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 700, 300, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExW(0, L"BUTTON", L"Reset statistics", WS_CHILD | WS_VISIBLE, 450, 6, 120, 26,
                    window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), nullptr, nullptr);
    SetTimer(window, 1, 30000, nullptr); // never outlives a forgotten test
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            DestroyWindow(window);
        }
        DispatchMessageW(&message);
    }
    return 0;
}
// Unchecks "Allow window resizing": the window snaps back to its fixed size.
void RestoreDesignedSize(HWND main)
{
    HWND box = GetDlgItem(main, 10);
    if (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        SendMessageW(box, BM_CLICK, 0, 0);
    }
}

// One pass at the given drawing area: a reset after resizing, then the first value shown,
// which is the mean of that pass alone. 0 when none showed.
double OnePassAt(HWND main, ReadoutCamera& camera, int width, int height)
{
    SetDrawingArea(main, width, height);
    SendMessageW(GetDlgItem(main, 1), BM_CLICK, 0, 0);
    for (int look = 0; look < 100; ++look) {
        Sleep(20);
        const Reading reading = Look(camera);
        if (reading.decoded && reading.mean > 0) {
            return reading.mean;
        }
    }
    return 0;
}

// A reference independent of zolvik-report: single passes at the designed area and at
// width x height in turn, pass by pass, so that drift falls on both alike. Prints the median
// of the pairs' ratios and its 95 % interval from the order statistics (ranks of the
// binomial distribution, when there are 40 pairs).
void MeasureSideBySide(HWND main, int width, int height, int pairs)
{
    ReadoutCamera camera;
    Expect(OpenCamera(camera, main), "screen readable");
    std::vector<double> ratios;
    for (int pair = 0; pair < pairs; ++pair) {
        const double designed = OnePassAt(main, camera, 900, 600);
        const double larger = OnePassAt(main, camera, width, height);
        if (designed > 0 && larger > 0) {
            ratios.push_back(larger / designed);
        }
    }
    CloseCamera(camera);
    RestoreDesignedSize(main);
    std::sort(ratios.begin(), ratios.end());
    ExpectEqual(static_cast<long long>(ratios.size()), pairs, "pairs measured");
    if (ratios.size() == 40) {
        // Of 40 draws, the 14th and 27th smallest hold the median with probability 0.96.
        std::printf("side-by-side ratio: %.4f (95 %% interval %.4f-%.4f)\n",
                    (ratios[19] + ratios[20]) / 2, ratios[13], ratios[26]);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::printf("usage: zolvik_probe CHECK [Zolvik.exe]\n");
        return 2;
    }
    const std::wstring check = argv[1];
    if (check == L"impostor") {
        return RunImpostor();
    }
    if (check == L"resources") {
        CheckResources(argc > 2 ? argv[2] : L"Zolvik.exe");
    } else {
        HWND main = FindMainWindow();
        if (!main) {
            std::printf("FAIL %ls: no window of class ZolvikWindowClass\n", check.c_str());
            return 1;
        }
        if (check == L"wait") {
            return 0;
        } else if (check == L"window") {
            CheckWindow(main);
        } else if (check == L"controls") {
            CheckControls(main);
        } else if (check == L"grid") {
            CheckGrid(main);
        } else if (check == L"caption") {
            CheckCaption(main);
        } else if (check == L"reset") {
            CheckReset(main);
        } else if (check == L"resizing") {
            CheckResizing(main);
        } else if (check == L"tab") {
            CheckTab(main);
        } else if (check == L"area" && argc > 3) {
            SetDrawingArea(main, _wtoi(argv[2]), _wtoi(argv[3]));
        } else if (check == L"designed") {
            RestoreDesignedSize(main);
        } else if (check == L"sidebyside" && argc > 4) {
            MeasureSideBySide(main, _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]));
        } else if (check == L"soak") {
            CheckSoak(main, argc > 2 ? _wtoi(argv[2]) : 2000);
        } else if (check == L"escape") {
            PressEscape(main);
        } else if (check == L"close") {
            CloseBox(main);
        } else {
            std::printf("unknown check %ls\n", check.c_str());
            return 2;
        }
    }
    std::printf("%s %ls\n", failures ? "FAIL" : "PASS", check.c_str());
    return failures ? 1 : 0;
}
