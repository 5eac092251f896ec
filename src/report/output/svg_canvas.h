// The pieces every picture is drawn with: a standalone SVG document, axes with round ticks.
#pragma once

#include "model/run.h"

#include <sstream>
#include <string>
#include <vector>

constexpr double kPlotWidth = 960;
inline constexpr char kPassColour[] = "#4a7ab5";
inline constexpr char kBlockColour[] = "#e07b00";
inline constexpr char kBandColour[] = "#7fb77f";

std::string EscapeXml(const std::string& text);
std::string Number(double value, int decimals = 2);

// A linear axis from `low` to `high` mapped onto the pixels `from` to `to`.
struct Axis {
    double low;
    double high;
    double from;
    double to;
    double At(double value) const { return from + (value - low) / (high - low) * (to - from); }
};

// Round steps of 1, 2 or 5 times a power of ten, about five to a range.
double TickStep(double range);
Axis NiceAxis(double low, double high, double from, double to);
// All passes of `runs`, with a little room above and below.
Axis DurationAxis(const std::vector<const Run*>& runs, double from, double to);

struct Svg {
    std::ostringstream out;
    double height;
    Svg(const std::string& title, double height = 540);
    void Text(double x, double y, const std::string& text, const char* anchor = "start",
              int size = 13, const char* extra = "");
    void Line(double x1, double y1, double x2, double y2, const char* colour, double width = 1,
              const char* extra = "");
    void Box(double x1, double y1, double x2, double y2, const char* colour, double opacity);
    void Dot(double x, double y, const char* colour, double radius = 2.2);
};

// Ticks and labels along the bottom (x) or the left (y) of a plotting area.
void XAxis(Svg& svg, const Axis& x, double y, const std::string& label);
void YAxis(Svg& svg, const Axis& y, double x, double right, const std::string& label);

// Writes the picture to a new file; returns an exit code.
int SaveSvg(const std::wstring& path, const Svg& svg, std::string& error);
