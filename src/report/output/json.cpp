// Comparisons as JSON, for scripts: the sides, their figures and verdicts with codes beside
// the sentences, and two sweeps' costs. A run's JSON is its record (results/).
#include "output/json.h"
#include "output/text.h"
#include "output/words.h"
#include "results/files.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace
{

nlohmann::json Finite(double value)
{
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr);
}

// A ratio to the base with its interval; null where a side has no control.
nlohmann::json IntervalJson(bool known, const Interval& interval)
{
    if (!known) {
        return nullptr;
    }
    return {{"ratio", Finite(interval.value)},
            {"low", Finite(interval.low)},
            {"high", Finite(interval.high)},
            {"verdict", VerdictWord(interval.verdict)}};
}

// The least difference these runs would call each way, what limits it, and (kept for scripts
// that read it) `resolution`, the factor called slower.
void ResolvesJson(const Resolves& r, nlohmann::json& json)
{
    json["resolution"] = Finite(r.slowerFrom);
    json["slower_from"] = Finite(r.slowerFrom);
    json["faster_from"] = r.fasterFrom > 0 ? nlohmann::json(r.fasterFrom) : nlohmann::json(nullptr);
    json["resolution_limit"] = {{"slower", LimitCode(r.slowerLimit)},
                                {"faster", LimitCode(r.fasterLimit)},
                                {"same_band_slower", r.sameBandSlower},
                                {"same_band_faster", r.sameBandFaster}};
}

nlohmann::json SideJson(const ComparedSide& side, bool base)
{
    nlohmann::json medians = nlohmann::json::array();
    for (const RunAnalysis& analysis : side.analyses) {
        medians.push_back(analysis.report.summary.median);
    }
    const SideEstimate& e = side.estimate;
    const bool interval = e.high > 0;
    nlohmann::json json = {
        {"side", side.letter},
        {"name", side.name},
        {"note", side.note.empty() ? nlohmann::json(nullptr) : nlohmann::json(side.note)},
        {"file", Utf8(side.path)},
        {"runs", e.runs},
        {"samples", e.samples},
        {"run_medians_ms", medians},
        {"median_ms", Finite(e.median)},
        {"median_low_ms", interval ? Finite(e.low) : nullptr},
        {"median_high_ms", interval ? Finite(e.high) : nullptr}};
    json["noise"] = NoiseJson(side.noise);
    json["in_memory_median_ms"] = e.memory.value > 0 ? Finite(e.memory.value) : nullptr;
    json["in_memory_low_ms"] = e.memory.high > 0 ? Finite(e.memory.low) : nullptr;
    json["in_memory_high_ms"] = e.memory.high > 0 ? Finite(e.memory.high) : nullptr;
    if (!base) {
        const Comparison& c = side.comparison;
        json["in_memory"] = IntervalJson(c.machine != Machine::Unknown, c.memory);
        json["on_screen_per_in_memory"] = IntervalJson(c.machine != Machine::Unknown, c.relative);
        json["machine_changed"] = c.machine == Machine::Changed;
        json["machine"] = MachineCode(c.machine);
        json["raw_verdict"] = VerdictWord(c.rawVerdict);
        json["ratio"] = Finite(c.ratio);
        json["low"] = Finite(c.low);
        json["high"] = Finite(c.high);
        json["verdict"] = VerdictWord(c.verdict);
        json["reason"] = ReasonCode(c.reason);
        const VerdictText said = SayVerdict(c, "A", side.letter);
        json["sentence"] = said.headline;
        json["headline_ratio"] = Finite(c.quoted);
        json["at_least"] = c.atLeast;
        json["next"] = said.next;
        ResolvesJson(c.resolves, json);
        json["plan"] = PlanJson(c.plan, kPlanTarget);
        json["between_runs"] = c.betweenRuns;
        json["assumed_run_spread"] =
            c.betweenRuns ? nlohmann::json(nullptr) : nlohmann::json(c.allowance);
    }
    return json;
}

nlohmann::json RatiosJson(const std::vector<ComponentRatio>& ratios)
{
    nlohmann::json list = nlohmann::json::array();
    for (const ComponentRatio& r : ratios) {
        list.push_back({{"cost", CostCode(r.cost)},
                        {"unit", CostUnit(r.cost)},
                        {"a", r.base},
                        {"b", r.other},
                        {"ratio", r.bounded ? nlohmann::json(r.ratio) : nlohmann::json(nullptr)},
                        {"low", r.bounded ? nlohmann::json(r.low) : nlohmann::json(nullptr)},
                        {"high", r.bounded ? nlohmann::json(r.high) : nlohmann::json(nullptr)},
                        {"direction", r.direction == Direction::Higher  ? "higher"
                                      : r.direction == Direction::Lower ? "lower"
                                                                        : "cannot_tell"},
                        {"machine_explains", r.machineExplains},
                        {"machine_may_explain", r.machineMayExplain}});
    }
    return list;
}

} // namespace

std::string ComparisonJson(const ComparedSides& compared)
{
    nlohmann::json table = nlohmann::json::array();
    for (std::size_t i = 0; i < compared.sides.size(); ++i) {
        table.push_back(SideJson(compared.sides[i], i == 0));
    }
    nlohmann::json json = {{"confidence", 0.95},
                           {"base", compared.sides.front().letter},
                           {"sides", table},
                           {"warnings", ComparisonWarningsWords(compared)}};
    if (compared.sides.size() == 2) {
        // Two sides keep the flat form that scripts already read.
        const Comparison& c = compared.sides[1].comparison;
        json["verdict"] = VerdictWord(c.verdict);
        json["reason"] = ReasonCode(c.reason);
        json["sentence"] = SayVerdict(c, "A", "B").headline;
        ResolvesJson(c.resolves, json);
        json["plan"] = PlanJson(c.plan, kPlanTarget);
        json["ratio"] = c.ratio;
        json["low"] = c.low;
        json["high"] = Finite(c.high);
        json["between_runs"] = c.betweenRuns;
        json["a"] = {{"file", table[0]["file"]},
                     {"runs", table[0]["runs"]},
                     {"samples", table[0]["samples"]},
                     {"run_medians_ms", table[0]["run_medians_ms"]}};
        json["b"] = {{"file", table[1]["file"]},
                     {"runs", table[1]["runs"]},
                     {"samples", table[1]["samples"]},
                     {"run_medians_ms", table[1]["run_medians_ms"]}};
    }
    return json.dump(2) + "\n";
}

std::string SweepComparisonJson(const SweepComparison& c)
{
    const SweepContrast& k = c.contrast;
    nlohmann::json json = {{"a", c.baseName},
                           {"b", c.otherName},
                           {"line_calls", k.lines == LineCalls::Apart ? "apart" : "together"},
                           {"fits",
                            {{"a_on_screen", FitStateCode(k.base[0].state)},
                             {"b_on_screen", FitStateCode(k.other[0].state)},
                             {"a_in_memory", FitStateCode(k.base[1].state)},
                             {"b_in_memory", FitStateCode(k.other[1].state)}}},
                           {"on_screen", RatiosJson(k.screen)},
                           {"in_memory", RatiosJson(k.memory)},
                           {"warnings", SweepComparisonWarnings(c)}};
    return json.dump(2) + "\n";
}
