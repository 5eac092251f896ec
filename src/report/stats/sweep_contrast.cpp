// Two sweeps cost by cost: B's over A's with Fieller's interval, on screen and in memory, and
// where the machine's own cost moved, what on screen it explains.
#include "stats/stats.h"
#include "stats/sweep_fit.h"
#include "stats/verdict.h"

#include <algorithm>
#include <cmath>

namespace
{

std::vector<ComponentRatio> Ratios(const ModelFit& base, const ModelFit& other)
{
    std::vector<ComponentRatio> ratios;
    if (!base.stands || !other.stands) {
        return ratios;
    }
    for (const Component& c : base.components) {
        for (const Component& o : other.components) {
            if (o.cost == c.cost) {
                ratios.push_back(CompareComponent(c, base.freedom, o, other.freedom));
            }
        }
    }
    return ratios;
}

} // namespace

ComponentRatio CompareComponent(const Component& base, double baseFreedom, const Component& other,
                                double otherFreedom)
{
    ComponentRatio r;
    r.cost = base.cost;
    r.base = base.value;
    r.other = other.value;
    const double t = TQuantile95(std::min(baseFreedom, otherFreedom));
    const double a = base.value;
    const double b = other.value;
    const double va = base.standardError * base.standardError;
    const double vb = other.standardError * other.standardError;
    // Fieller: the ratios q with (b - q a)^2 <= t^2 (vb + q^2 va).
    const double qa = a * a - t * t * va;
    const double qb = -2 * a * b;
    const double qc = b * b - t * t * vb;
    const double discriminant = qb * qb - 4 * qa * qc;
    r.ratio = a != 0 ? b / a : 0;
    if (qa > 0 && discriminant >= 0) {
        r.bounded = true;
        r.low = (-qb - std::sqrt(discriminant)) / (2 * qa);
        r.high = (-qb + std::sqrt(discriminant)) / (2 * qa);
    }
    r.direction = !r.bounded   ? Direction::CannotTell
                  : r.low > 1  ? Direction::Higher
                  : r.high < 1 ? Direction::Lower
                               : Direction::CannotTell;
    return r;
}

SweepContrast ContrastSweeps(const SweepFit& a, const SweepFit& b)
{
    SweepContrast c;
    // Line calls apart only where both sides need them apart to fit at all.
    const bool apart = a.apart && b.apart && a.screenApart.stands && b.screenApart.stands &&
                       (!a.screen.stands || !b.screen.stands);
    c.lines = apart ? LineCalls::Apart : LineCalls::Together;
    c.base[0] = apart ? a.screenApart : a.screen;
    c.base[1] = apart ? a.memoryApart : a.memory;
    c.other[0] = apart ? b.screenApart : b.screen;
    c.other[1] = apart ? b.memoryApart : b.memory;
    c.screen = Ratios(c.base[0], c.other[0]);
    c.memory = Ratios(c.base[1], c.other[1]);
    // Unless the machine's own cost of a component stayed within the machine band, as runs of
    // one machine do, the figure on screen says something of the driver only beyond the
    // machine's whole interval: where it moved, and where the control cannot tell.
    for (const ComponentRatio& m : c.memory) {
        const bool steady =
            m.bounded && m.low >= 1 / (1 + kMachineBand) && m.high <= 1 + kMachineBand;
        const bool moved =
            m.bounded && (m.low > 1 + kMachineBand || m.high < 1 / (1 + kMachineBand));
        if (!m.bounded || steady) {
            continue;
        }
        if (moved) {
            c.machineMoved.push_back(m);
        }
        for (ComponentRatio& r : c.screen) {
            const bool beyond = r.bounded && (r.low > m.high || r.high < m.low);
            if (r.cost == m.cost && r.direction != Direction::CannotTell && !beyond) {
                r.direction = Direction::CannotTell;
                (moved ? r.machineExplains : r.machineMayExplain) = true;
            }
        }
    }
    return c;
}
