// A sweep's record (JSON): where it ran, every visit's area, lines, pixels and passes, and the
// fit. Read back for pictures and for comparing two sweeps.
#pragma once

#include "model/sweep.h"
#include "stats/sweep_fit.h"

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

// A new file only, with the fit made of its visits; written whole or not at all. Returns an
// exit code.
int WriteSweepRecord(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                     std::string& error);
bool ReadSweepRecord(const std::wstring& path, SweepRecord& record, std::string& error);
// The same, of a document already parsed; `name` names it in messages.
bool ParseSweepRecord(const nlohmann::json& document, SweepRecord& record, const std::string& name,
                      std::string& error);
constexpr char kSweepFormat[] = "zolvik-report sweep";
