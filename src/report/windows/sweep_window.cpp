#include "windows/sweep_window.h"

#include "exit_codes.h"
#include "sampling/sweep_plan.h"
#include "windows/environment.h"
#include "windows/sampler.h"
#include "windows/window_view.h"
#include "zolvik_facts.h"

#include <cstdio>
#include <string>

namespace
{

// After a resize the program repaints its panel and the platform shows it a little later: the
// first look waits that long, rather than find the readout half drawn and pause.
constexpr DWORD kSettleMs = 150;

// How the window stood before the sweep. Kept process-wide: Ctrl+C arrives on a thread of
// its own, which puts the window back and ends the process.
struct WindowState {
    HWND window = nullptr;
    RECT rect = {}; // where the window stood, restored if it was minimized or maximized
    UINT showCmd = SW_SHOWNORMAL;
    bool resizingAllowed = false;
    bool saved = false;
};
WindowState savedState;
CRITICAL_SECTION windowLock;

bool ResizingAllowed(HWND window)
{
    return SendMessageW(GetDlgItem(window, IDC_ALLOW_RESIZING), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The box is clicked, as a person would, so that the program itself switches its size pin.
void SetResizing(HWND window, bool allowed)
{
    if (ResizingAllowed(window) != allowed) {
        SendMessageW(GetDlgItem(window, IDC_ALLOW_RESIZING), BM_CLICK, 0, 0);
    }
}

// The place and size first, while resizing is still allowed, so that a window the person had
// sized gets its size back; then the box, whose unticking snaps the window to its fixed size;
// then minimized or maximized, as it stood. The rectangle is set rather than the placement:
// the placement's normal position is in the work area's coordinates, and where those differ
// from the screen's it lands elsewhere.
void PutBack()
{
    EnterCriticalSection(&windowLock);
    if (savedState.saved && IsWindow(savedState.window)) {
        const RECT& r = savedState.rect;
        SetWindowPos(savedState.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetResizing(savedState.window, savedState.resizingAllowed);
        if (savedState.showCmd == SW_SHOWMINIMIZED) {
            ShowWindow(savedState.window, SW_SHOWMINNOACTIVE);
        } else if (savedState.showCmd == SW_SHOWMAXIMIZED) {
            ShowWindow(savedState.window, SW_SHOWMAXIMIZED);
        }
        savedState.saved = false;
    }
    LeaveCriticalSection(&windowLock);
}

BOOL WINAPI OnConsoleBreak(DWORD)
{
    PutBack();
    std::fprintf(stderr, "\nzolvik-report: stopped; the Zolvik window is as it was before the "
                         "sweep, and nothing was recorded\n");
    std::fflush(stderr);
    ExitProcess(kExitInterrupted);
}

// The client area on the screen, and the frame around it in each direction.
struct Frame {
    RECT outer;
    POINT clientOrigin;
    RECT client;
};

Frame FrameOf(HWND window)
{
    Frame frame;
    GetWindowRect(window, &frame.outer);
    GetClientRect(window, &frame.client);
    frame.clientOrigin = {0, 0};
    ClientToScreen(window, &frame.clientOrigin);
    return frame;
}

// The window's top left at the work area's, so that the largest areas fit; the largest client
// area the work area then holds.
ClientSize MakeRoom(HWND window)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    SetWindowPos(window, nullptr, work.left, work.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const Frame frame = FrameOf(window);
    const LONG frameRight = frame.outer.right - (frame.clientOrigin.x + frame.client.right);
    const LONG frameBottom = frame.outer.bottom - (frame.clientOrigin.y + frame.client.bottom);
    return {static_cast<int>(work.right - frameRight - frame.clientOrigin.x),
            static_cast<int>(work.bottom - frameBottom - frame.clientOrigin.y)};
}

// Sizes the window for a client area of `size`; the client area it got.
ClientSize SizeClientArea(HWND window, ClientSize size)
{
    EnterCriticalSection(&windowLock);
    ClientSize got = {0, 0};
    if (savedState.saved) {
        SetResizing(window, true);
        const Frame frame = FrameOf(window);
        const int width = frame.outer.right - frame.outer.left - frame.client.right + size.width;
        const int height = frame.outer.bottom - frame.outer.top - frame.client.bottom + size.height;
        SetWindowPos(window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client = {0, 0, 0, 0};
        GetClientRect(window, &client);
        got = {static_cast<int>(client.right), static_cast<int>(client.bottom)};
    }
    LeaveCriticalSection(&windowLock);
    Sleep(kSettleMs);
    return got;
}

double SecondsSince(ULONGLONG start)
{
    return static_cast<double>(GetTickCount64() - start) / 1000;
}

int Visit(HWND window, HWND button, const Options& options, std::FILE* trace, Progress& progress,
          int index, ClientSize area, ULONGLONG start, SweepRecord& record)
{
    const ClientSize got = SizeClientArea(window, area);
    if (!IsWindow(window)) {
        std::fprintf(stderr, "zolvik-report: the Zolvik window closed during the sweep\n");
        return kExitWindowClosed;
    }
    if (got.width != area.width || got.height != area.height) {
        SweepWarning warning;
        warning.kind = SweepWarning::AreaNotAsAsked;
        warning.askedWidth = area.width;
        warning.askedHeight = area.height;
        warning.gotWidth = got.width;
        warning.gotHeight = got.height;
        record.warnings.push_back(warning);
    }
    SweepVisit visit;
    visit.clientWidth = got.width;
    visit.clientHeight = got.height;
    visit.seconds = SecondsSince(start);
    Run sampled;
    const int code =
        SampleWindow(window, button, options, CsvSink(), trace, progress, index, sampled);
    if (sampled.areaChanged) {
        SweepWarning warning;
        warning.kind = SweepWarning::VisitLeftOut;
        warning.visit = index;
        record.warnings.push_back(warning);
    } else if (!sampled.samples.empty()) {
        visit.passes = DurationsOf(sampled.samples);
        visit.controls = DurationsOf(sampled.controls);
        visit.dropped = sampled.dropped;
        record.visits.push_back(visit);
    }
    return code;
}

} // namespace

int SweepWindow(HWND window, HWND button, const Options& options, std::FILE* trace,
                Progress& progress, SweepRecord& record)
{
    const DpiScope scope(window);
    InitializeCriticalSection(&windowLock);
    savedState.window = window;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    savedState.saved = GetWindowPlacement(window, &placement) != 0;
    savedState.showCmd = placement.showCmd;
    if (IsIconic(window) || IsZoomed(window)) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    savedState.saved = savedState.saved && GetWindowRect(window, &savedState.rect);
    savedState.resizingAllowed = ResizingAllowed(window);
    if (!savedState.saved) {
        std::fprintf(stderr, "zolvik-report: cannot read where the Zolvik window stands\n");
        return kExitNoWindow;
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    const std::vector<ClientSize> areas = ChooseSweepAreas(MakeRoom(window));
    const std::vector<int> order = SweepOrder(areas, static_cast<int>(options.runs));
    int code = areas.empty() ? kExitUndecodable : kExitOk;
    if (areas.empty()) {
        std::fprintf(stderr, "zolvik-report: the screen cannot hold a drawing area of 400 x 300 "
                             "beside the window's frame\n");
    }
    std::printf("sweep: %zu drawing areas, %ld rounds, %ld passes a visit\n", areas.size(),
                options.runs, options.samples);
    progress.unit = "visit";
    progress.runs = static_cast<int>(order.size());
    progress.samples = options.samples;
    const ULONGLONG start = GetTickCount64();
    for (std::size_t i = 0; i < order.size() && code == kExitOk; ++i) {
        code = Visit(window, button, options, trace, progress, static_cast<int>(i + 1),
                     areas[static_cast<std::size_t>(order[i])], start, record);
    }
    PutBack();
    SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
    return code;
}
