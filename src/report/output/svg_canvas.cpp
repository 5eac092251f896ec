// Pictures as standalone SVG: axes with units and ticks, and a title that says what was
// measured, so that someone who never saw the tool can read them.
#include "output/svg_canvas.h"
#include "exit_codes.h"
#include "results/files.h"

#include <algorithm>
#include <cmath>

std::string EscapeXml(const std::string& text)
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

std::string Number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

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

Svg::Svg(const std::string& title, double pictureHeight) : height(pictureHeight)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPlotWidth << "\" height=\""
        << height << "\" viewBox=\"0 0 " << kPlotWidth << " " << height
        << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<title>" << EscapeXml(title) << "</title>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    Text(kPlotWidth / 2, 24, title, "middle", 16);
}

void Svg::Text(double x, double y, const std::string& text, const char* anchor, int size,
               const char* extra)
{
    out << "<text x=\"" << Number(x, 1) << "\" y=\"" << Number(y, 1) << "\" text-anchor=\""
        << anchor << "\" font-size=\"" << size << "\" " << extra << ">" << EscapeXml(text)
        << "</text>\n";
}

void Svg::Line(double x1, double y1, double x2, double y2, const char* colour, double width,
               const char* extra)
{
    out << "<line x1=\"" << Number(x1, 1) << "\" y1=\"" << Number(y1, 1) << "\" x2=\""
        << Number(x2, 1) << "\" y2=\"" << Number(y2, 1) << "\" stroke=\"" << colour
        << "\" stroke-width=\"" << width << "\" " << extra << "/>\n";
}

void Svg::Box(double x1, double y1, double x2, double y2, const char* colour, double opacity)
{
    out << "<rect x=\"" << Number(std::min(x1, x2), 1) << "\" y=\"" << Number(std::min(y1, y2), 1)
        << "\" width=\"" << Number(std::fabs(x2 - x1), 1) << "\" height=\""
        << Number(std::fabs(y2 - y1), 1) << "\" fill=\"" << colour << "\" fill-opacity=\""
        << opacity << "\"/>\n";
}

void Svg::Dot(double x, double y, const char* colour, double radius)
{
    out << "<circle cx=\"" << Number(x, 1) << "\" cy=\"" << Number(y, 1) << "\" r=\""
        << Number(radius, 1) << "\" fill=\"" << colour << "\" fill-opacity=\"0.7\"/>\n";
}

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

int SaveSvg(const std::wstring& path, const Svg& svg, std::string& error)
{
    return WriteNewFile(path, svg.out.str() + "</svg>\n", error);
}
