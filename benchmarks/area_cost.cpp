// How a pass's cost grows with the drawing area on the portable layer: the whole program runs
// through wWinMain, resizing is allowed with its check box, the window is enlarged to each
// size and the program's own figure (lines only, timed by a real clock here) is collected.
// scripts/area-benchmark.sh runs this and the same sizes on Wine, and prints both tables.
#include "bench/bench.h"
#include "shell/shell.h"
#include "winport_control.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

struct Size {
    int width;
    int height;
};

// The designed 900 x 600 area, then about twice and four times as many pixels.
constexpr Size kSizes[] = {{900, 600}, {1273, 849}, {1800, 1200}};
constexpr int kPasses = 60;

long long PixelsPerPass(const Size& s)
{
    const long long rows = (s.height + 3) / 4;
    const long long columns = (s.width + 3) / 4;
    return 3 * (rows * s.width + columns * s.height);
}

void MeasureAt(const Size& size)
{
    RECT outer = {0, 0, size.width + 8, size.height + 88};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    winport::ResizeByUser(mainWindow, outer.right - outer.left, outer.bottom - outer.top);
    if (drawRect.right - drawRect.left != size.width ||
        drawRect.bottom - drawRect.top != size.height) {
        std::printf("could not fit %d x %d\n", size.width, size.height);
        return;
    }
    std::vector<double> passes;
    for (int i = 0; i < kPasses; ++i) {
        winport::Send(mainWindow, WM_TIMER, 0, 0);
        passes.push_back(
            timingHistory.samples[(timingHistory.first + timingHistory.count - 1) & 7]);
    }
    double sum = 0;
    for (double ms : passes) {
        sum += ms;
    }
    std::sort(passes.begin(), passes.end());
    const double mean = sum / kPasses;
    const long long pixels = PixelsPerPass(size);
    std::printf("%-16s %5d x %-5d %11lld %11.3f %11.3f %14.3f\n", "portable layer", size.width,
                size.height, pixels, mean, passes[kPasses / 2], mean * 1e6 / pixels);
}

} // namespace

int main()
{
    winport::Reset();
    winport::SetScreenSize(2560, 1600);
    winport::UseSteadyClockCounter(true);
    std::printf("%-16s %13s %11s %11s %11s %14s\n", "path", "drawing area", "pixels/pass",
                "mean ms", "median ms", "ms per Mpixel");
    winport::WhenIdle(
        [] { winport::ClickButton(winport::ChildById(mainWindow, IDC_ALLOW_RESIZING)); });
    winport::WhenIdle([] {
        for (const Size& size : kSizes) {
            MeasureAt(size);
        }
        winport::PressKey(VK_ESCAPE);
    });
    return wWinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
}
