// The probe driving a running Zolvik: resizing it, soaking it with repaints, standing in for
// it as an impostor, and measuring it side by side at two drawing areas.
#include "probe.h"

#include <windows.h>

#include <psapi.h>

#include "windows/readout.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace probe
{
namespace
{

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

// One pass at the given drawing area: a reset after resizing, then the first value shown,
// which is the mean of that pass alone. 0 when none showed.
double OnePassAt(HWND main, ReadoutCamera& camera, int width, int height)
{
    SetDrawingArea(main, width, height);
    SendMessageW(GetDlgItem(main, 1), BM_CLICK, 0, 0);
    for (int look = 0; look < 100; ++look) {
        Sleep(20);
        const Reading reading = ReadReadout(camera);
        if (reading.decoded && reading.mean > 0) {
            return reading.mean;
        }
    }
    return 0;
}

} // namespace

void SetOuterSize(HWND main, int width, int height)
{
    SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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

void RestoreDesignedSize(HWND main)
{
    HWND box = GetDlgItem(main, 10);
    if (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        SendMessageW(box, BM_CLICK, 0, 0);
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

} // namespace probe
