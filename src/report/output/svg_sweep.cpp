// The picture of a sweep: pass time against pixels on logarithmic axes, one colour per shape
// of area, and the model's value at each area on screen and in memory.
#include "output/svg.h"
#include "model/grid.h"
#include "output/svg_canvas.h"

#include <algorithm>
#include <cmath>

namespace
{

struct Shape {
    const char* name;
    const char* colour;
};

const Shape kShapes[] = {{"wider than 2:1", "#e07b00"},
                         {"taller than 1:2", "#2e9e4f"},
                         {"vertical lines only", "#8e44ad"},
                         {"other areas", "#4a7ab5"}};

const Shape& ShapeOf(int clientWidth, int clientHeight)
{
    const DrawingArea area = AreaOfClient({clientWidth, clientHeight});
    const double width = area.width;
    const double height = area.height;
    return height <= 0          ? kShapes[2]
           : width > 2 * height ? kShapes[0]
           : height > 2 * width ? kShapes[1]
                                : kShapes[3];
}

// Powers of ten around `low`..`high`, as an axis of their logarithms.
Axis LogAxis(double low, double high, double from, double to)
{
    return {std::floor(std::log10(low)), std::ceil(std::log10(high)), from, to};
}

// 1, 10, 100, 1k ... 100M
std::string PowerLabel(int power)
{
    static const char* const kLabels[] = {"1",    "10", "100", "1k",  "10k",
                                          "100k", "1M", "10M", "100M"};
    return power >= 0 && power <= 8 ? kLabels[power] : "1e" + std::to_string(power);
}

void LogTicks(Svg& svg, const Axis& x, const Axis& y, double left, double right, double bottom,
              double top)
{
    for (int p = static_cast<int>(x.low); p <= static_cast<int>(x.high); ++p) {
        svg.Line(x.At(p), bottom, x.At(p), top, "#dddddd");
        svg.Text(x.At(p), bottom + 18, PowerLabel(p), "middle");
    }
    for (int p = static_cast<int>(y.low); p <= static_cast<int>(y.high); ++p) {
        svg.Line(left, y.At(p), right, y.At(p), "#dddddd");
        svg.Text(left - 6, y.At(p) + 4,
                 p >= -3 ? Number(std::pow(10, p), p < 0 ? -p : 0) : "1e" + std::to_string(p),
                 "end");
    }
    svg.Line(left, bottom, right, bottom, "black");
    svg.Line(left, bottom, left, top, "black");
}

double Predicted(const ModelFit& fit, const GridWork& work)
{
    const double lines = (work.horizontalLines + work.verticalLines) / 1000;
    return fit.components[0].value + fit.components[1].value * lines +
           fit.components[2].value * work.pixels / 1e6;
}

} // namespace

int WriteSweepPlot(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                   const std::string& title, std::string& error)
{
    Svg svg(title, 600);
    const double left = 80;
    const double right = kPlotWidth - 30;
    const double top = 60;
    const double bottom = svg.height - 110;
    double fewest = 1e300;
    double most = 1;
    double shortest = 1e300;
    double longest = 1e-3;
    for (const SweepVisit& v : record.visits) {
        const double pixels = std::max(WorkOf({v.clientWidth, v.clientHeight}).pixels, 1.0);
        fewest = std::min(fewest, pixels);
        most = std::max(most, pixels);
        for (const std::vector<double>* passes : {&v.passes, &v.controls}) {
            for (double d : *passes) {
                shortest = std::min(shortest, std::max(d, 1e-4));
                longest = std::max(longest, d);
            }
        }
    }
    if (record.visits.empty()) {
        fewest = 1;
        shortest = 1e-3;
    }
    const Axis x = LogAxis(fewest, most * 1.01, left, right);
    const Axis y = LogAxis(shortest, longest * 1.01, bottom, top);
    LogTicks(svg, x, y, left, right, bottom, top);
    svg.Text((left + right) / 2, bottom + 40, "pixels drawn by one pass (logarithmic)", "middle");
    const std::string turn = "transform=\"rotate(-90 20 " + Number((top + bottom) / 2, 1) + ")\"";
    svg.Text(20, (top + bottom) / 2, "line drawing time of one pass (ms, logarithmic)", "middle",
             13, turn.c_str());
    for (const SweepVisit& v : record.visits) {
        const GridWork work = WorkOf({v.clientWidth, v.clientHeight});
        const double at = x.At(std::log10(std::max(work.pixels, 1.0)));
        for (double d : v.controls) {
            svg.Dot(at + 4, y.At(std::log10(std::max(d, 1e-4))), "#999999", 1.8);
        }
        for (double d : v.passes) {
            svg.Dot(at, y.At(std::log10(std::max(d, 1e-4))),
                    ShapeOf(v.clientWidth, v.clientHeight).colour);
        }
        for (const auto& [model, colour] :
             {std::make_pair(&fit.screen, "black"), std::make_pair(&fit.memory, "#666666")}) {
            const double value = model->stands ? Predicted(*model, work) : 0;
            if (value > 0) {
                svg.Line(at - 9, y.At(std::log10(value)), at + 9, y.At(std::log10(value)), colour,
                         2);
            }
        }
    }
    double legendX = left;
    for (const Shape& shape : kShapes) {
        svg.Dot(legendX + 6, svg.height - 52, shape.colour, 3);
        svg.Text(legendX + 14, svg.height - 48, shape.name);
        legendX += 180;
    }
    svg.Dot(left + 6, svg.height - 24, "#999999", 3);
    svg.Text(left + 14, svg.height - 20, "the control, in memory");
    svg.Line(left + 190, svg.height - 24, left + 210, svg.height - 24, "black", 2);
    svg.Text(left + 216, svg.height - 20,
             fit.screen.stands ? "the model on screen" : "the model on screen: does not fit");
    svg.Line(left + 470, svg.height - 24, left + 490, svg.height - 24, "#666666", 2);
    svg.Text(left + 496, svg.height - 20,
             fit.memory.stands ? "the model in memory" : "the model in memory: does not fit");
    return SaveSvg(path, svg, error);
}
