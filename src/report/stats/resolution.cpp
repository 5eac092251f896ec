// What a comparison's runs resolve: the least difference, each way, that its own decision
// would call were the raw times and on screen / in memory both to show it.
#include "stats/verdict.h"

#include <cmath>

namespace
{

// Half an interval's width as a factor; infinite without one.
double HalfWidth(const Interval& interval)
{
    return interval.low > 0 && std::isfinite(interval.high) && interval.high >= interval.low
               ? std::sqrt(interval.high / interval.low)
               : INFINITY;
}

// The interval moved, in logarithms, to centre on `ratio`.
Interval Centred(const Interval& interval, double ratio)
{
    const double half = HalfWidth(interval);
    if (!std::isfinite(half)) {
        return {ratio, 0, INFINITY, Verdict::Inconclusive};
    }
    return {ratio, ratio / half, ratio * half, Classify(ratio / half, ratio * half)};
}

// The least factor q above 1 for which `shown(q)` holds, searched by halving in logarithms;
// infinite where no factor up to a million does. The decision grows with q, never back.
template <typename Shown> double LeastShown(Shown shown)
{
    double low = 1;
    double high = 1;
    while (!shown(high)) {
        high *= 2;
        if (high > 1e6) {
            return INFINITY;
        }
    }
    for (int i = 0; i < 100; ++i) {
        const double middle = std::sqrt(low * high);
        (shown(middle) ? high : low) = middle;
    }
    return high;
}

// One way of the search: `way` is Slower or Faster, q the factor of the difference (above 1).
struct Way {
    const Comparison& c;
    Verdict way;
    bool controlled;

    double Ratio(double q) const { return way == Verdict::Slower ? q : 1 / q; }
    bool Called(double q) const
    {
        const Interval raw = {c.ratio, c.low, c.high, c.rawVerdict};
        const double ratio = Ratio(q);
        const Interval memory = c.memory;
        return Decide(Centred(raw, ratio), c.reason, controlled ? &memory : nullptr,
                      Centred(c.relative, ratio))
                   .verdict == way;
    }
    // The least factor one figure alone would call this way.
    double Alone(const Interval& interval) const
    {
        return LeastShown([&](double q) { return Centred(interval, Ratio(q)).verdict == way; });
    }
};

double Distance(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b) ? std::fabs(std::log(a / b)) : INFINITY;
}

// Which figure's own threshold the decision's threshold is, and whether the "same" band, not
// the figure's spread, set it.
void NameTheLimit(const Way& way, double threshold, Limit& limit, bool& sameBand)
{
    limit = Limit::None;
    sameBand = false;
    if (!std::isfinite(threshold)) {
        return;
    }
    const Interval raw = {way.c.ratio, way.c.low, way.c.high, way.c.rawVerdict};
    const double rawAlone = way.Alone(raw);
    limit = Limit::RawTimes;
    double nearest = Distance(threshold, rawAlone);
    sameBand = rawAlone > HalfWidth(raw) * (1 + 1e-9);
    if (!way.controlled) {
        return;
    }
    const double relativeAlone = way.Alone(way.c.relative);
    if (Distance(threshold, relativeAlone) < nearest) {
        limit = Limit::Relative;
        nearest = Distance(threshold, relativeAlone);
        sameBand = relativeAlone > HalfWidth(way.c.relative) * (1 + 1e-9);
    }
    const double band = (1 + kMachineBand) * HalfWidth(way.c.relative);
    if (Distance(threshold, band) < nearest) {
        limit = Limit::MachineBand;
        sameBand = false;
    }
}

} // namespace

Resolves ResolveEachWay(const Comparison& c)
{
    const bool controlled = c.machine != Machine::Unknown;
    Resolves r;
    const Way slower = {c, Verdict::Slower, controlled};
    r.slowerFrom = LeastShown([&](double q) { return slower.Called(q); });
    NameTheLimit(slower, r.slowerFrom, r.slowerLimit, r.sameBandSlower);
    const Way faster = {c, Verdict::Faster, controlled};
    const double q = LeastShown([&](double f) { return faster.Called(f); });
    r.fasterFrom = std::isfinite(q) ? 1 / q : 0;
    NameTheLimit(faster, q, r.fasterLimit, r.sameBandFaster);
    return r;
}
