#include "simulated_program.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double Rounded(double mean)
{
    return std::round(mean * 1e6) / 1e6;
}

} // namespace

// Runs every pass that starts by `t`. A tick that came while a pass was drawing waits for
// it, so the next pass starts as soon as the last one ends. A pass's time is the time its
// lines took on the clock, stops included.
void SimulatedProgram::AdvanceTo(double t)
{
    if (nextTick < 0) {
        nextTick = firstTick;
    }
    for (;;) {
        const double tickAt = hung ? kInfinity : std::max(nextTick, freeAt);
        const double paintAt = nextRepaint < repaints.size() && !hung
                                   ? std::max(repaints[nextRepaint], freeAt)
                                   : kInfinity;
        const double start = Resume(std::min(tickAt, paintAt));
        if (start > t || start >= goneAt) {
            return;
        }
        SimulatedPass pass;
        pass.start = start;
        pass.minimized = Minimized(start);
        const double work = pass.minimized ? 0.15 : duration(passes.size(), start);
        pass.timedStart = Work(start, pass.minimized ? 0 : clearMs);
        pass.timedEnd = Work(pass.timedStart, work);
        pass.duration = pass.timedEnd - pass.timedStart;
        pass.end = Work(pass.timedEnd, readoutMs);
        history.push_back(pass.duration);
        if (history.size() > 8) {
            history.pop_front();
        }
        const double mean = std::accumulate(history.begin(), history.end(), 0.0) /
                            static_cast<double>(history.size());
        freeAt = pass.end;
        if (tickAt <= paintAt) {
            nextTick = firstTick + (std::floor((start - firstTick) / 500) + 1) * 500;
        } else {
            ++nextRepaint;
        }
        // A window that goes idle shows its drawing at once; a busy one, late.
        pass.shownAt = Work(pass.end, flushMs) + (nextTick <= pass.end ? screenLagMs : 0);
        screen.emplace_back(pass.shownAt, Rounded(mean));
        passes.push_back(pass);
    }
}

double SimulatedProgram::Resume(double t) const
{
    if (awakePeriodMs <= 0 || !std::isfinite(t)) {
        return t;
    }
    const double phase = std::fmod(std::max(0.0, t - awakeFrom), awakePeriodMs);
    return t < awakeFrom ? awakeFrom : phase < awakeMs ? t : t - phase + awakePeriodMs;
}

double SimulatedProgram::Work(double from, double ms) const
{
    double at = Resume(from);
    if (awakePeriodMs <= 0 || !std::isfinite(at)) {
        return at + ms;
    }
    for (;;) {
        const double left = awakeMs - std::fmod(at - awakeFrom, awakePeriodMs);
        if (ms <= left) {
            return at + ms;
        }
        ms -= left;
        at = Resume(at + left);
    }
}

double SimulatedProgram::Shown(double t)
{
    AdvanceTo(t);
    double value = 0;
    double latest = -kInfinity;
    // Entries come nearly in order: the last few decide.
    const std::size_t from = screen.size() > 16 ? screen.size() - 16 : 0;
    for (std::size_t i = from; i < screen.size(); ++i) {
        const auto& shown = screen[i];
        if (shown.first <= t && shown.first >= latest) {
            latest = shown.first;
            value = shown.second;
        }
    }
    return value;
}

bool SimulatedProgram::Minimized(double t) const
{
    for (const auto& spell : minimizedSpells) {
        if (t >= spell.first && t < spell.second) {
            return true;
        }
    }
    return false;
}

// A sent message is handled between passes; one not taken up within its time is cancelled.
Answer SimulatedProgram::Send(double sent, double timeoutMs, bool reset)
{
    AdvanceTo(sent);
    Answer answer;
    if (sent >= goneAt) {
        answer.kind = Answer::Gone;
        return answer;
    }
    const double taken = hung ? kInfinity : Resume(std::max(sent, freeAt));
    if (taken - sent > timeoutMs) {
        answer.kind = Answer::TimedOut;
        answer.at = sent + timeoutMs;
        return answer;
    }
    const double handled = Work(taken, handlingMs);
    if (reset) {
        history.clear();
        screen.emplace_back(Work(handled, flushMs) + (nextTick <= handled ? screenLagMs : 0), 0.0);
    }
    freeAt = handled;
    answer.at = handled + replyLatencyMs;
    return answer;
}

ProgramPort SimulatedRun::Port()
{
    ProgramPort port;
    port.now = [this] { return clock; };
    port.sleepUntil = [this](double at) { clock = std::max(clock, at); };
    port.look = [this] {
        Look look;
        look.at = clock;
        if (clock >= program.goneAt) {
            look.sight = Sight::Gone;
        } else if (program.Minimized(clock)) {
            look.sight = Sight::Minimized;
        } else {
            look.mean = program.Shown(clock);
        }
        clock += 0.2;
        return look;
    };
    const auto send = [this](double timeoutMs, bool reset) {
        const Answer answer = program.Send(clock, timeoutMs, reset);
        clock = std::max(clock, answer.at);
        return answer;
    };
    port.probe = [send](double timeoutMs) { return send(timeoutMs, false); };
    port.reset = [send](double timeoutMs) { return send(timeoutMs, true); };
    port.say = [this](const std::string& line) { said.push_back(line); };
    port.dropped = [this](DropReason reason) {
        said.push_back(std::string("dropped: ") + DropCode(reason));
    };
    port.record = [](const Sample&) { return true; };
    port.trace = [this](const TraceEntry& entry) { trace.push_back(entry); };
    if (controlMs > 0) {
        port.control = [this] {
            controls.emplace_back(clock, clock + controlMs);
            clock += controlMs;
            return controlMs;
        };
    }
    return port;
}

RunCheck CheckRun(const SimulatedProgram& program, const SessionResult& result,
                  const std::vector<TraceEntry>& trace, double start,
                  const std::vector<std::pair<double, double>>& controls)
{
    RunCheck check;
    std::vector<bool> used(program.passes.size(), false);
    for (const Sample& sample : result.samples) {
        const double seenAt = start + sample.seconds * 1000;
        // The pass whose readout was on the screen when the sample was taken.
        std::size_t shown = program.passes.size();
        for (std::size_t i = 0; i < program.passes.size(); ++i) {
            if (program.passes[i].shownAt <= seenAt) {
                shown = i;
            }
        }
        if (shown == program.passes.size() ||
            std::fabs(program.passes[shown].duration - sample.durationMs) > 1e-5) {
            if (check.wrong++ == 0) {
                check.firstWrong = "sample " + std::to_string(sample.index) + " " +
                                   std::to_string(sample.durationMs) + " at " +
                                   std::to_string(seenAt);
            }
            continue;
        }
        const SimulatedPass& pass = program.passes[shown];
        for (const auto& control : controls) {
            if (control.first < pass.end && control.second > pass.start) {
                ++check.besideControl;
                break;
            }
        }
        check.duplicated += used[shown] ? 1 : 0;
        check.whileMinimized += program.passes[shown].minimized ? 1 : 0;
        used[shown] = true;
    }
    for (const TraceEntry& entry : trace) {
        if (entry.event != "look") {
            continue;
        }
        ++check.looks;
        for (const SimulatedPass& pass : program.passes) {
            if (entry.at > pass.timedStart && entry.at < pass.timedEnd) {
                ++check.looksInTimedLines;
                break;
            }
        }
    }
    return check;
}
