// Reports to paste into a bug tracker: a comparison of runs, and one of two sweeps, each
// ending in the command that made it.
#pragma once

#include "comparing/comparing.h"

#include <string>

// `plot` is linked when given; `markdown` is where the report goes, which the link is made
// relative to.
std::string ComparisonMarkdown(const ComparedSides& compared, const std::wstring& plot,
                               const std::wstring& markdown, const std::string& command);
std::string SweepComparisonMarkdown(const SweepComparison& comparison, const std::string& command);
