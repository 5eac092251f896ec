// The picture of one run: every pass over time, the block medians, the median and its
// interval.
#include "output/svg.h"
#include "output/svg_canvas.h"

#include <algorithm>
#include <cmath>

int WriteRunPlot(const std::wstring& path, const Run& run, const MedianEstimate& e,
                 const std::string& title, std::string& error)
{
    Svg svg(title);
    const double left = 80;
    const double right = kPlotWidth - 30;
    const double top = 60;
    const double bottom = svg.height - 90;
    double last = 1;
    for (const Sample& s : run.samples) {
        last = std::max(last, s.seconds);
    }
    const Axis x = NiceAxis(0, last, left, right);
    const Axis y = DurationAxis({&run}, bottom, top);
    YAxis(svg, y, left, right, "line drawing time of one pass (ms)");
    XAxis(svg, x, bottom, "time since the run started (s)");
    if (e.freedom > 0) {
        svg.Box(left, y.At(e.low), right, y.At(e.high), kBandColour, 0.3);
        // Each block of consecutive passes, and its median, across the time it took.
        const std::size_t n = run.samples.size();
        for (std::size_t b = 0; b < e.blocks; ++b) {
            const std::size_t first = b * n / e.blocks;
            const std::size_t end = (b + 1) * n / e.blocks;
            svg.Line(x.At(run.samples[first].seconds), y.At(e.blockMedians[b]),
                     x.At(run.samples[end - 1].seconds), y.At(e.blockMedians[b]), kBlockColour, 3);
        }
    }
    for (const Sample& s : run.samples) {
        svg.Dot(x.At(s.seconds), y.At(s.durationMs), kPassColour);
    }
    svg.Line(left, y.At(e.median), right, y.At(e.median), "black", 1.5, "stroke-dasharray=\"6 4\"");
    std::string legend = "median " + Number(e.median, 3) + " ms";
    if (e.freedom > 0) {
        legend += " (95 % interval " + Number(e.low, 3) + "-" + Number(e.high, 3) + " ms, green)";
    }
    svg.Dot(left + 10, svg.height - 22, kPassColour);
    svg.Text(left + 20, svg.height - 18, std::to_string(run.samples.size()) + " passes");
    svg.Line(left + 120, svg.height - 22, left + 150, svg.height - 22, kBlockColour, 3);
    svg.Text(left + 156, svg.height - 18, "block medians");
    svg.Line(left + 270, svg.height - 22, left + 300, svg.height - 22, "black", 1.5,
             "stroke-dasharray=\"6 4\"");
    svg.Text(left + 306, svg.height - 18, legend);
    return SaveSvg(path, svg, error);
}
