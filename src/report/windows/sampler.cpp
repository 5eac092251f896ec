// The sampling loop's view of a real window: the clock, looks at the readout, probes and
// resets as messages the program answers between passes, and what is said and recorded.
#include "windows/sampler.h"
#include "model/grid.h"

#include "exit_codes.h"
#include "sampling/session.h"
#include "windows/control_pass.h"
#include "windows/readout.h"
#include "windows/window_view.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace
{

LARGE_INTEGER TheFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency;
}

double NowMs()
{
    static const LARGE_INTEGER frequency = TheFrequency();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Set by the console's handler thread; the sampling thread waits on it, so a stop ends a
// wait at once. Closing the console waits on `stopHandled` for the run to be written.
HANDLE stopAsked = nullptr;
HANDLE stopHandled = nullptr;
constexpr DWORD kCloseWaitMs = 4500; // Windows ends a closed console's process after 5 s

BOOL WINAPI OnStop(DWORD event)
{
    SetEvent(stopAsked);
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        WaitForSingleObject(stopHandled, kCloseWaitMs);
    }
    return TRUE;
}

void SleepUntil(double ms)
{
    const double wait = ms - NowMs();
    if (wait > 0) {
        const DWORD waitMs = static_cast<DWORD>(std::ceil(wait));
        if (stopAsked) {
            WaitForSingleObject(stopAsked, waitMs);
        } else {
            Sleep(waitMs);
        }
    }
}

// A message the program handles only between passes, so its answer marks a pass's end. A
// message not taken up within its time is withdrawn, so a timed-out reset never lands later.
Answer Send(HWND target, HWND window, UINT message, double timeoutMs)
{
    DWORD_PTR result = 0;
    Answer answer;
    if (SendMessageTimeoutW(target, message, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs),
                            &result)) {
        answer.at = NowMs();
        return answer;
    }
    answer.kind = IsWindow(window) ? Answer::TimedOut : Answer::Gone;
    answer.at = NowMs();
    return answer;
}

void ReadDrawingArea(HWND window, int& width, int& height)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    const DrawingArea area = AreaOfClient({client.right, client.bottom});
    width = area.width;
    height = area.height;
}

struct Viewer {
    HWND window;
    ReadoutCamera camera;
    bool raisedSaid = false;
    Run* run;
    Progress* progress;
};

// Where covered pixels are not kept, a window over the readout is moved out of the way by
// raising Zolvik without activating it; the look that found it covered still counts as
// unseen, since raising repaints.
Look LookAtReadout(Viewer& viewer)
{
    Look look;
    look.sight = SightOf(viewer.window);
    if (look.sight == Sight::Covered && BringToTop(viewer.window) && !viewer.raisedSaid) {
        EndProgressLine(*viewer.progress);
        std::printf("a window lay over Zolvik's readout: brought Zolvik to the top without "
                    "activating it\n");
        viewer.raisedSaid = true;
    }
    if (look.sight == Sight::Readable) {
        int width = 0;
        int height = 0;
        ReadDrawingArea(viewer.window, width, height);
        Run& run = *viewer.run;
        run.areaChanged = run.areaChanged || width != run.areaWidth || height != run.areaHeight;
        const Reading reading = ReadReadout(viewer.camera);
        look.sight = reading.decoded ? Sight::Readable : Sight::Undecodable;
        look.mean = reading.mean;
    }
    look.at = NowMs();
    return look;
}

void WriteTrace(std::FILE* trace, double start, const TraceEntry& entry)
{
    std::fprintf(trace, "%.3f,%s,\"%s\",\"%s\"\n", entry.at - start, entry.event.c_str(),
                 entry.seen.c_str(), entry.action.c_str());
    std::fflush(trace);
}

void GatherFacts(const PassTracker& tracker, const SessionResult& result, Run& run)
{
    SamplingFacts& facts = run.sampling;
    facts.known = true;
    facts.looks = tracker.looks;
    facts.looksInPasses = tracker.looksInPasses;
    facts.probes = tracker.probes;
    facts.resets = tracker.resets;
    facts.errorBoundMs = result.maxErrorMs;
    for (int reason = 0; reason < static_cast<int>(DropReason::kCount); ++reason) {
        if (tracker.drops[reason] > 0) {
            facts.drops.emplace_back(static_cast<DropReason>(reason), tracker.drops[reason]);
        }
    }
    facts.backToBack = result.backToBack;
    run.dropped = TotalDrops(tracker);
}

int ExitCode(SessionEnd end, double patienceS)
{
    switch (end) {
    case SessionEnd::Done:
        return kExitOk;
    case SessionEnd::Stopped:
        std::fprintf(stderr, "zolvik-report: stopped: the run so far is kept, marked as "
                             "interrupted\n");
        return kExitInterrupted;
    case SessionEnd::WindowGone:
        std::fprintf(stderr, "zolvik-report: the Zolvik window closed during the run\n");
        return kExitWindowClosed;
    case SessionEnd::Hung:
        std::fprintf(stderr,
                     "zolvik-report: Zolvik has not answered for %.0f s (--patience): it hangs\n",
                     patienceS);
        return kExitWindowClosed;
    case SessionEnd::Unseen:
        std::fprintf(stderr,
                     "zolvik-report: cannot see the readout for %.0f s (--patience); see the "
                     "pause line above\n",
                     patienceS);
        return kExitUndecodable;
    case SessionEnd::NeverDecoded:
        std::fprintf(stderr,
                     "zolvik-report: the readout at (%d, %d) cannot be decoded: is this "
                     "Zolvik's window?\n",
                     kReadoutLeft, kReadoutTop);
        return kExitUndecodable;
    case SessionEnd::CannotWrite:
        std::fprintf(stderr, "zolvik-report: cannot write the CSV file\n");
        return kExitCannotWrite;
    }
    return kExitOk;
}

} // namespace

void WatchForStop()
{
    stopAsked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stopHandled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnStop, TRUE);
}

bool StopRequested()
{
    return stopAsked && WaitForSingleObject(stopAsked, 0) == WAIT_OBJECT_0;
}

void StopHandled()
{
    if (stopHandled) {
        SetEvent(stopHandled);
    }
}

int SampleWindow(HWND window, HWND button, const Options& options, const CsvSink& sink,
                 std::FILE* trace, Progress& progress, int runIndex, Run& run)
{
    Viewer viewer{window, ReadoutCamera(), false, &run, &progress};
    if (!OpenCamera(viewer.camera, window)) {
        std::fprintf(stderr, "zolvik-report: cannot read the screen\n");
        return kExitUndecodable;
    }
    ReadDrawingArea(window, run.areaWidth, run.areaHeight);
    const double start = NowMs();
    ProgramPort port;
    port.now = NowMs;
    port.sleepUntil = SleepUntil;
    port.stopped = StopRequested;
    port.look = [&viewer] { return LookAtReadout(viewer); };
    port.probe = [window](double timeoutMs) { return Send(window, window, WM_NULL, timeoutMs); };
    port.reset = [window, button](double timeoutMs) {
        return Send(button, window, BM_CLICK, timeoutMs);
    };
    port.say = [&progress](const std::string& line) {
        EndProgressLine(progress);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    port.dropped = [&port](DropReason reason) {
        port.say(std::string("dropped: ") + DropWords(reason));
    };
    port.record = [&sink, &progress, runIndex](const Sample& sample) {
        const long count = static_cast<long>(sample.index);
        ShowProgress(progress,
                     ProgressText(progress, runIndex, count, sample.seconds, sample.durationMs),
                     NowMs() / 1000, count == 1 || count == progress.samples);
        return !sink.file || WriteSampleRow(sink, sample);
    };
    if (trace) {
        port.trace = [trace, start](const TraceEntry& entry) { WriteTrace(trace, start, entry); };
    }
    ControlCanvas canvas;
    port.control = [window, &canvas] {
        RECT client = {0, 0, 0, 0};
        GetClientRect(window, &client);
        return DrawControlPass(canvas, client.right, client.bottom);
    };
    SessionLimits limits;
    limits.samples = options.samples;
    limits.seconds = options.seconds;
    limits.patienceMs = options.patience * 1000;
    PassTracker tracker;
    const SessionResult result = RunSession(port, limits, tracker);
    CloseCamera(viewer.camera);
    FreeControlCanvas(canvas);
    run.samples = result.samples;
    run.controls = result.controls;
    run.interrupted = result.end == SessionEnd::Stopped;
    GatherFacts(tracker, result, run);
    EndProgressLine(progress);
    return ExitCode(result.end, options.patience);
}
