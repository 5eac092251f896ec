// Comparisons as JSON, for scripts: of runs, and of two sweeps. A run's and a sweep's own JSON
// is their record (results/).
#pragma once

#include "comparing/comparing.h"

#include <string>

std::string ComparisonJson(const ComparedSides& compared);
std::string SweepComparisonJson(const SweepComparison& comparison);
