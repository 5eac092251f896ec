// The pieces output/'s files share in saying a comparison: codes for scripts, intervals and
// table cells. Within output/ only.
#pragma once

#include "output/text.h"

#include <string>
#include <vector>

// For scripts: "raw_times", "within_noise", "machine_changed", ...
const char* ReasonCode(Reason reason);
const char* MachineCode(Machine machine);          // "steady", "unclear", "changed", "unknown"
std::string IntervalText(double low, double high); // "95 % interval 1.65-2.88", rounded outwards
const char* LimitCode(Limit limit);                // "raw_times", "machine_band", ...

// Every warning of a comparison, in words, in order.
std::vector<std::string> ComparisonWarningsWords(const ComparedSides& compared);

// Table cells: a median with its interval, and a ratio with its interval rounded outwards.
std::string MedianCell(const SideEstimate& estimate);
std::string RatioCell(const Interval& ratio);
std::string RatioCell(const Comparison& comparison);
// The control's median for a side, and the time on screen relative to it against the base;
// "no control" where a side's runs have none.
std::string MemoryCell(const SideEstimate& estimate);
std::string RelativeCell(const Comparison& comparison);

// A sweep's figures: three significant digits, "higher" or "lower", and B's ratio over A with
// its interval.
std::string Significant(double value);
std::string DirectionWord(Direction direction);
std::string RatioCell(const ComponentRatio& r);
// What people read for a cost: "fixed", "per line call", ...
const char* CostName(Cost cost);
// "0.95 us (0.90-1.00)": a component with its interval, to three significant digits.
std::string ComponentCell(const Component& c);
