#include "sampling/sampling.h"

namespace
{

// Timer ticks come a period apart give or take the platform's timer granularity and the
// program's own work; anything closer than this share of a period is not two ticks.
constexpr double kTickSlack = 0.8;

} // namespace

PassCheck JudgePass(const PassWindow& w, double periodMs)
{
    if (w.lastZero < 0 || w.lastZero >= w.seen) {
        return PassCheck::ZeroNotSeen;
    }
    if (w.seen - w.lastZero >= kTickSlack * periodMs) {
        return PassCheck::MayHoldTwo;
    }
    if (w.previousSeen >= 0 && w.seen - w.previousBefore < kTickSlack * periodMs) {
        return PassCheck::TooSoon;
    }
    return PassCheck::Single;
}

const char* DescribePassCheck(PassCheck check)
{
    switch (check) {
    case PassCheck::Single:
        return "one pass";
    case PassCheck::ZeroNotSeen:
        return "the reset was not seen before the value";
    case PassCheck::MayHoldTwo:
        return "a change may have been missed: two passes could lie between the looks";
    case PassCheck::TooSoon:
        return "the readout changed sooner than the timer allows: a repaint ran a pass";
    }
    return "";
}
