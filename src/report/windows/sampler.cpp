#include "windows/sampler.h"
#include "exit_codes.h"
#include "sampling/sampling.h"
#include "windows/readout.h"

#include <cmath>
#include <cstdio>

namespace
{

constexpr double kPeriodMs = 500;        // the program's timer
constexpr double kBeforeTickMs = 40;     // the look that should still show 0.000000
constexpr double kAfterTickMs = 12;      // the first look for the pass
constexpr double kPollMs = 10;           // then, until the pass shows
constexpr double kSearchPollMs = 20;     // while the ticks' phase is unknown
constexpr double kCreepMs = 4;           // an early hit moves the expected time this much
constexpr double kUndecodableMs = 5000;  // readouts that make no sense for this long: give up
constexpr double kResetTimeoutMs = 2000; // the zero must show by then

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

void SleepUntil(double ms)
{
    const double wait = ms - NowMs();
    if (wait > 0) {
        Sleep(static_cast<DWORD>(std::ceil(wait)));
    }
}

// Everything the sampler knows between passes.
struct Tracker {
    HWND window;
    HWND button;
    ReadoutCamera camera;
    double start = 0;
    double end = 0;       // 0: no time limit
    double expected = -1; // when the next pass should be on the screen; -1: unknown
    double previousSeen = -1;
    double previousBefore = -1;
    std::wstring previousText; // what the readout showed before the last reset
    double undecodableSince = -1;
};

int Fail(int code, const char* message)
{
    std::fprintf(stderr, "zolvik-report: %s\n", message);
    return code;
}

// Empties the program's history; the click is handled before this returns.
bool ResetHistory(HWND button)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

// When to look next: just before the expected tick, just after it, then often until the
// pass shows. With no expectation yet, often.
double NextLook(const Tracker& t, double lastLook)
{
    if (t.expected < 0) {
        return lastLook + kSearchPollMs;
    }
    if (lastLook < t.expected - kBeforeTickMs) {
        return t.expected - kBeforeTickMs;
    }
    if (lastLook < t.expected + kAfterTickMs) {
        return t.expected + kAfterTickMs;
    }
    return lastLook + kPollMs;
}

// Follows the readout from a reset until it shows a value. `w` gets the looks' times,
// `before` the last look that did not show it. Returns an exit code, or -1 at the time limit.
int AwaitPass(Tracker& t, PassWindow& w, double& before, Reading& reading)
{
    const double resetAt = NowMs();
    double lastLook = resetAt;
    before = -1;
    for (;;) {
        SleepUntil(NextLook(t, lastLook));
        reading = Look(t.camera);
        lastLook = NowMs();
        if (t.end > 0 && lastLook >= t.end) {
            return -1;
        }
        if (!IsWindow(t.window)) {
            return Fail(kExitWindowClosed, "the Zolvik window closed during the run");
        }
        if (!reading.decoded) {
            t.undecodableSince = t.undecodableSince < 0 ? lastLook : t.undecodableSince;
            if (lastLook - t.undecodableSince > kUndecodableMs) {
                return Fail(kExitUndecodable, "the readout at (200, 4) cannot be decoded");
            }
            continue;
        }
        t.undecodableSince = -1;
        const bool stale = w.lastZero < 0 && reading.text == t.previousText;
        if (stale && lastLook - resetAt > kResetTimeoutMs) {
            return Fail(kExitUndecodable, "the readout did not show 0.000000 after a reset");
        }
        if (reading.text == L"0.000000" || stale) {
            w.lastZero = stale ? w.lastZero : lastLook;
            before = lastLook;
            continue;
        }
        w.seen = lastLook;
        return kExitOk;
    }
}

// Where the next pass should show: a period after this one. When a look just before the
// change caught it, its time is known closely; when the first look after the expected time
// already showed it, it came earlier, so the expectation creeps earlier until it is caught.
void ExpectNext(Tracker& t, double before, double seen)
{
    const bool caughtClosely = before >= 0 && seen - before <= 2 * kPollMs + 1;
    if (caughtClosely) {
        t.expected = (before + seen) / 2 + kPeriodMs;
    } else if (t.expected >= 0 && seen <= t.expected + kAfterTickMs + kPollMs) {
        t.expected += kPeriodMs - kCreepMs;
    } else {
        t.expected = -1; // lost: search again
    }
}

// The program keeps a 4-pixel margin left, right and below, and its panel above.
void DrawingArea(HWND window, int& width, int& height)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    width = client.right - 8 > 0 ? client.right - 8 : 0;
    height = client.bottom - 88 > 0 ? client.bottom - 88 : 0;
}

int SampleLoop(Tracker& t, const Options& options, const CsvSink& sink, SampledRun& run)
{
    for (;;) {
        if (options.samples > 0 && static_cast<long>(run.samples.size()) >= options.samples) {
            return kExitOk;
        }
        if (!ResetHistory(t.button) && !IsWindow(t.window)) {
            return Fail(kExitWindowClosed, "the Zolvik window closed during the run");
        }
        PassWindow w = {t.previousSeen, t.previousBefore, -1, -1};
        double before = -1;
        Reading reading;
        const int code = AwaitPass(t, w, before, reading);
        if (code != kExitOk) {
            return code < 0 ? kExitOk : code;
        }
        const PassCheck check = JudgePass(w, kPeriodMs);
        if (check == PassCheck::Single) {
            const Sample sample = {run.samples.size() + 1, (w.seen - t.start) / 1000.0,
                                   reading.mean};
            run.samples.push_back(sample);
            std::printf("sample %zu: %.6f ms\n", sample.index, sample.durationMs);
            if (sink.file && !WriteSampleRow(sink, sample)) {
                return Fail(kExitCannotWrite, "cannot write the CSV file");
            }
        } else {
            ++run.dropped;
            std::printf("dropped: %s (shown %ls)\n", DescribePassCheck(check),
                        reading.text.c_str());
        }
        std::fflush(stdout);
        int width = 0;
        int height = 0;
        DrawingArea(t.window, width, height);
        run.areaChanged = run.areaChanged || width != run.areaWidth || height != run.areaHeight;
        ExpectNext(t, before, w.seen);
        t.previousSeen = w.seen;
        t.previousBefore = before;
        t.previousText = reading.text;
    }
}

} // namespace

int SampleWindow(HWND window, HWND button, const Options& options, const CsvSink& sink,
                 SampledRun& run)
{
    Tracker t;
    t.window = window;
    t.button = button;
    if (!OpenCamera(t.camera, window)) {
        return Fail(kExitUndecodable, "cannot read the screen");
    }
    DrawingArea(window, run.areaWidth, run.areaHeight);
    t.start = NowMs();
    t.end = options.seconds > 0 ? t.start + options.seconds * 1000.0 : 0;
    t.previousText = Look(t.camera).text;
    const int code = SampleLoop(t, options, sink, run);
    CloseCamera(t.camera);
    return code;
}
