// How a record's runs are written: each run with its summary, control, sampling and warnings as
// codes, a side's noise and plan, and an older record's runs brought to the current format.
// Within results/ only.
#pragma once

#include "model/run.h"
#include "stats/control.h"
#include "stats/run_analysis.h"

#include <nlohmann/json.hpp>

constexpr char kRecordFormat[] = "zolvik-report record";
// 2: warnings and drops as codes. Records without a version (1) keep them as sentences.
constexpr int kRecordFormatVersion = 2;

nlohmann::json RunJson(const Run& run, const RunAnalysis& analysis, bool otherEnvironment);
// An older record's runs in the current format, so that one file keeps one format.
void UpgradeRuns(nlohmann::json& document);
