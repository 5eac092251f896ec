// How far a recording has come, with the time left, for a person waiting on minutes of runs.
#include "output/text.h"

#include <algorithm>
#include <cmath>

namespace
{

// Plain lines, for a log, come no more often than this.
constexpr double kPlainLineSeconds = 10;
constexpr double kTimerS = 0.5;

std::string Duration(double seconds)
{
    const long s = std::lround(std::max(0.0, seconds));
    char text[64];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%ld h %02ld min", s / 3600, s / 60 % 60);
    } else if (s >= 60) {
        std::snprintf(text, sizeof text, "%ld min %02ld s", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld s", s);
    }
    return text;
}

} // namespace

std::string ProgressText(const Progress& p, int run, long sample, double elapsedS, double passMs)
{
    const double runsAfter = static_cast<double>(p.runs - run);
    std::string text = p.unit + (" " + std::to_string(run)) + " of " + std::to_string(p.runs) +
                       ", sample " + std::to_string(sample);
    if (p.samples > 0) {
        text += " of " + std::to_string(p.samples);
        if (sample > 0) {
            // A sample takes a tick of the timer at least, or a pass where passes run back to
            // back (and then one pass in nine goes unseen). The pace so far counts where it
            // is slower: the first sample came after a start that says nothing of the pace.
            const double passS = passMs / 1000;
            const double expected = passS > kTimerS ? passS * 9 / 8 : kTimerS;
            const double perSample = std::max(elapsedS / static_cast<double>(sample), expected);
            const double left = static_cast<double>(p.samples - sample) * perSample +
                                runsAfter * (static_cast<double>(p.samples) * perSample + p.pauseS);
            text += ", about " + Duration(left) + " left";
        }
    } else {
        const double left = (p.seconds - elapsedS) + runsAfter * (p.seconds + p.pauseS);
        text += ", " + Duration(left) + " left";
    }
    return text;
}

void ShowProgress(Progress& p, const std::string& text, double nowS, bool milestone)
{
    if (p.console) {
        const std::size_t pad = p.shown > text.size() ? p.shown - text.size() : 0;
        std::fprintf(p.out, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
        p.shown = text.size();
    } else if (milestone || nowS - p.printedS >= kPlainLineSeconds) {
        std::fprintf(p.out, "%s\n", text.c_str());
        p.printedS = nowS;
    }
    std::fflush(p.out);
}

void EndProgressLine(Progress& p)
{
    if (p.console && p.shown > 0) {
        std::fprintf(p.out, "\r%*s\r", static_cast<int>(p.shown), "");
        std::fflush(p.out);
        p.shown = 0;
    }
}
