// How fast the portable layer draws a pass, against a bare loop that writes the same pixels
// into a plain buffer: the reference for a CPU-only drawing path, and the reason the native
// tests stay fast. Prints the ratio of the two mean times at the end.
#include "bench/bench.h"
#include "program_state.h"
#include "winport_control.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{

constexpr int kClientWidth = 908;
constexpr int kClientHeight = 688;

void LayerPass(benchmark::State& state)
{
    winport::Reset();
    HWND window = MakeSurfaceWindow(kClientWidth, kClientHeight);
    for (auto _ : state) {
        RunLinePass(window);
    }
    benchmark::DoNotOptimize(winport::Pixel(window, 4, 84));
}
BENCHMARK(LayerPass)->Unit(benchmark::kMicrosecond);

// The same erase and the same 1,125 lines, written straight into a buffer.
void BareLoop(benchmark::State& state)
{
    std::vector<COLORREF> pixels(static_cast<size_t>(kClientWidth) * kClientHeight);
    const COLORREF colours[] = {0x000000, 0x0000FF, 0xFF0000};
    for (auto _ : state) {
        for (int y = 84; y < 684; ++y) {
            for (int x = 4; x < 904; ++x) {
                pixels[static_cast<size_t>(y) * kClientWidth + x] = 0xFFFFFF;
            }
        }
        for (COLORREF colour : colours) {
            for (int y = 84; y < 684; y += 4) {
                for (int x = 4; x < 904; ++x) {
                    pixels[static_cast<size_t>(y) * kClientWidth + x] = colour;
                }
            }
            for (int x = 4; x < 904; x += 4) {
                for (int y = 84; y < 684; ++y) {
                    pixels[static_cast<size_t>(y) * kClientWidth + x] = colour;
                }
            }
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(pixels.data());
}
BENCHMARK(BareLoop)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                meanSeconds[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> meanSeconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double layer = reporter.meanSeconds["LayerPass"];
    const double bare = reporter.meanSeconds["BareLoop"];
    if (layer > 0 && bare > 0) {
        std::printf("layer pass %.1f us, bare loop %.1f us, layer/bare ratio %.2f (target <= 2)\n",
                    layer * 1e6, bare * 1e6, layer / bare);
    }
    benchmark::Shutdown();
    return 0;
}
