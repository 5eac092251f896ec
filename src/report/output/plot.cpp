// Pictures of runs and comparisons as standalone SVG: axes with units and ticks, and a title
// that says what was measured, so that someone who never saw the tool can read them.
#include "output/output.h"
#include "exit_codes.h"
#include "results/files.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace
{

constexpr double kWidth = 960;
constexpr double kHeight = 540;
const char kPassColour[] = "#4a7ab5";
const char kBlockColour[] = "#e07b00";
const char kBandColour[] = "#7fb77f";

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Number(double value, int decimals = 2)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A linear axis from `low` to `high` mapped onto the pixels `from` to `to`.
struct Axis {
    double low;
    double high;
    double from;
    double to;
    double At(double value) const { return from + (value - low) / (high - low) * (to - from); }
};

// Round steps of 1, 2 or 5 times a power of ten, about five to a range.
double TickStep(double range)
{
    const double rough = range / 5;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10 * power;
}

Axis NiceAxis(double low, double high, double from, double to)
{
    if (!(high > low)) {
        high = low + 1;
    }
    const double step = TickStep(high - low);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, from, to};
}

struct Svg {
    std::ostringstream out;
    Svg(const std::string& title)
    {
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
            << kHeight << "\" viewBox=\"0 0 " << kWidth << " " << kHeight
            << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
            << "<title>" << Escape(title) << "</title>\n"
            << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
        Text(kWidth / 2, 24, title, "middle", 16);
    }
    void Text(double x, double y, const std::string& text, const char* anchor = "start",
              int size = 13, const char* extra = "")
    {
        out << "<text x=\"" << Number(x, 1) << "\" y=\"" << Number(y, 1) << "\" text-anchor=\""
            << anchor << "\" font-size=\"" << size << "\" " << extra << ">" << Escape(text)
            << "</text>\n";
    }
    void Line(double x1, double y1, double x2, double y2, const char* colour, double width = 1,
              const char* extra = "")
    {
        out << "<line x1=\"" << Number(x1, 1) << "\" y1=\"" << Number(y1, 1) << "\" x2=\""
            << Number(x2, 1) << "\" y2=\"" << Number(y2, 1) << "\" stroke=\"" << colour
            << "\" stroke-width=\"" << width << "\" " << extra << "/>\n";
    }
    void Box(double x1, double y1, double x2, double y2, const char* colour, double opacity)
    {
        out << "<rect x=\"" << Number(std::min(x1, x2), 1) << "\" y=\""
            << Number(std::min(y1, y2), 1) << "\" width=\"" << Number(std::fabs(x2 - x1), 1)
            << "\" height=\"" << Number(std::fabs(y2 - y1), 1) << "\" fill=\"" << colour
            << "\" fill-opacity=\"" << opacity << "\"/>\n";
    }
    void Dot(double x, double y, const char* colour)
    {
        out << "<circle cx=\"" << Number(x, 1) << "\" cy=\"" << Number(y, 1)
            << "\" r=\"2.2\" fill=\"" << colour << "\" fill-opacity=\"0.7\"/>\n";
    }
};

// Ticks and labels along the bottom (x) or the left (y) of a plotting area.
void XAxis(Svg& svg, const Axis& x, double y, const std::string& label)
{
    svg.Line(x.from, y, x.to, y, "black");
    const double step = TickStep(x.high - x.low);
    for (double v = x.low; v <= x.high + step / 2; v += step) {
        svg.Line(x.At(v), y, x.At(v), y + 5, "black");
        svg.Text(x.At(v), y + 19, Number(v, step < 1 ? 2 : 0), "middle");
    }
    svg.Text((x.from + x.to) / 2, y + 40, label, "middle");
}

void YAxis(Svg& svg, const Axis& y, double x, double right, const std::string& label)
{
    svg.Line(x, y.from, x, y.to, "black");
    const double step = TickStep(y.high - y.low);
    for (double v = y.low; v <= y.high + step / 2; v += step) {
        svg.Line(x - 5, y.At(v), x, y.At(v), "black");
        svg.Line(x, y.At(v), right, y.At(v), "#dddddd");
        svg.Text(x - 8, y.At(v) + 4, Number(v, step < 1 ? 2 : 0), "end");
    }
    svg.Text(18, (y.from + y.to) / 2, label, "middle", 13,
             ("transform=\"rotate(-90 18 " + Number((y.from + y.to) / 2, 1) + ")\"").c_str());
}

Axis DurationAxis(const std::vector<const Run*>& runs, double from, double to)
{
    double low = INFINITY;
    double high = 0;
    for (const Run* run : runs) {
        for (const Sample& s : run->samples) {
            low = std::min(low, s.durationMs);
            high = std::max(high, s.durationMs);
        }
    }
    return NiceAxis(std::max(0.0, low - 0.05 * (high - low)), high + 0.05 * (high - low), from, to);
}

int Save(const std::wstring& path, const Svg& svg, std::string& error)
{
    bool existed = false;
    std::FILE* file = CreateNewFile(path, existed);
    const std::string text = svg.out.str() + "</svg>\n";
    const bool written = file && std::fputs(text.c_str(), file) >= 0;
    if ((file && std::fclose(file) != 0) || !written) {
        error = Utf8(path) +
                (existed ? " exists: zolvik-report never overwrites a file" : ": cannot write");
        return existed ? kExitFileExists : kExitCannotWrite;
    }
    return kExitOk;
}

} // namespace

int WriteRunPlot(const std::wstring& path, const Run& run, const std::string& title,
                 std::string& error)
{
    Svg svg(title);
    const double left = 80;
    const double right = kWidth - 30;
    const double top = 60;
    const double bottom = kHeight - 90;
    double last = 1;
    for (const Sample& s : run.samples) {
        last = std::max(last, s.seconds);
    }
    const Axis x = NiceAxis(0, last, left, right);
    const Axis y = DurationAxis({&run}, bottom, top);
    YAxis(svg, y, left, right, "line drawing time of one pass (ms)");
    XAxis(svg, x, bottom, "time since the run started (s)");
    const std::vector<double> durations = Durations(run);
    const MedianEstimate e = EstimateMedian(durations);
    if (e.freedom > 0) {
        svg.Box(left, y.At(e.low), right, y.At(e.high), kBandColour, 0.3);
        // Each block of consecutive passes, and its median, across the time it took.
        const std::size_t n = durations.size();
        for (std::size_t b = 0; b < e.blocks; ++b) {
            const std::size_t first = b * n / e.blocks;
            const std::size_t end = (b + 1) * n / e.blocks;
            const double median = Median({durations.begin() + static_cast<long>(first),
                                          durations.begin() + static_cast<long>(end)});
            svg.Line(x.At(run.samples[first].seconds), y.At(median),
                     x.At(run.samples[end - 1].seconds), y.At(median), kBlockColour, 3);
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
    svg.Dot(left + 10, kHeight - 22, kPassColour);
    svg.Text(left + 20, kHeight - 18, std::to_string(run.samples.size()) + " passes");
    svg.Line(left + 120, kHeight - 22, left + 150, kHeight - 22, kBlockColour, 3);
    svg.Text(left + 156, kHeight - 18, "block medians");
    svg.Line(left + 270, kHeight - 22, left + 300, kHeight - 22, "black", 1.5,
             "stroke-dasharray=\"6 4\"");
    svg.Text(left + 306, kHeight - 18, legend);
    return Save(path, svg, error);
}

int WriteComparisonPlot(const std::wstring& path, const std::vector<Run>& a,
                        const std::vector<Run>& b, const Comparison& c, const std::string& title,
                        std::string& error)
{
    Svg svg(title);
    const double left = 80;
    const double split = 600;
    const double top = 60;
    const double bottom = kHeight - 110;
    std::vector<const Run*> all;
    for (const auto* side : {&a, &b}) {
        for (const Run& run : *side) {
            all.push_back(&run);
        }
    }
    const Axis y = DurationAxis(all, bottom, top);
    YAxis(svg, y, left, split - 20, "line drawing time of one pass (ms)");
    svg.Line(left, bottom, split - 20, bottom, "black");
    // Each side takes half the width; each of its runs a strip of passes and a median bar.
    const double half = (split - 20 - left) / 2;
    for (int side = 0; side < 2; ++side) {
        const std::vector<Run>& runs = side ? b : a;
        const double from = left + side * half;
        const double strip = half / static_cast<double>(runs.size() + 1);
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const double centre = from + strip * static_cast<double>(r + 1);
            const std::vector<Run>::value_type& run = runs[r];
            for (const Sample& s : run.samples) {
                const double jitter = static_cast<double>(s.index * 37 % 17) / 17 - 0.5;
                svg.Dot(centre + jitter * strip * 0.6, y.At(s.durationMs),
                        side ? kBlockColour : kPassColour);
            }
            const double median = Median(Durations(run));
            svg.Line(centre - strip * 0.4, y.At(median), centre + strip * 0.4, y.At(median),
                     "black", 3);
            svg.Text(centre, bottom + 16, std::to_string(run.number), "middle", 11);
        }
        svg.Text(from + half / 2, bottom + 36,
                 side ? "B (runs; bar: run median)" : "A (runs; bar: run median)", "middle");
    }
    // The ratio B/A with its interval, against 1 and the band where it counts as the same.
    const double rLeft = split + 30;
    const double rRight = kWidth - 30;
    const double high = std::isfinite(c.high) ? c.high : c.ratio * 2;
    const Axis r = NiceAxis(std::min({0.9, c.low * 0.95, c.ratio * 0.95}),
                            std::max({1.1, high * 1.05, c.ratio * 1.05}), rLeft, rRight);
    const double ry = (top + bottom) / 2;
    svg.Box(r.At(0.95), top, r.At(1.05), bottom, kBandColour, 0.25);
    svg.Line(r.At(1), top, r.At(1), bottom, "black", 1, "stroke-dasharray=\"4 3\"");
    svg.Line(r.At(c.low), ry, r.At(high), ry, "black", 2);
    svg.Line(r.At(c.low), ry - 8, r.At(c.low), ry + 8, "black", 2);
    svg.Line(r.At(high), ry - 8, r.At(high), ry + 8, "black", 2);
    svg.out << "<circle cx=\"" << Number(r.At(c.ratio), 1) << "\" cy=\"" << Number(ry, 1)
            << "\" r=\"5\" fill=\"#c0392b\"/>\n";
    svg.Text(r.At(c.ratio), ry - 16, "B/A " + Number(c.ratio, 3), "middle");
    XAxis(svg, r, bottom, "ratio of medians B/A, 95 % interval");
    svg.Text((rLeft + rRight) / 2, top + 14, "green: within 5 % of 1", "middle", 11);
    if (!c.warnings.empty()) {
        svg.Text(kWidth / 2, 44, "warning: " + c.warnings.front(), "middle", 12,
                 "fill=\"#c0392b\"");
    }
    // A long verdict goes on two lines, broken after its interval.
    const std::string verdict = "verdict: " + c.sentence;
    const std::size_t cut = verdict.size() > 100 ? verdict.find("): ") : std::string::npos;
    svg.Text(kWidth / 2, kHeight - 40, verdict.substr(0, cut == std::string::npos ? cut : cut + 2),
             "middle", 13, "font-weight=\"bold\"");
    if (cut != std::string::npos) {
        svg.Text(kWidth / 2, kHeight - 22, verdict.substr(cut + 3), "middle", 13);
    }
    return Save(path, svg, error);
}
