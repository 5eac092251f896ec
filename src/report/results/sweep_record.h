// A sweep's record (JSON): where it ran, every visit's area, lines, pixels and passes, and the
// fit. Read back for pictures and for comparing two sweeps.
#pragma once

#include "model/sweep.h"
#include "stats/sweep_fit.h"

#include <string>
#include <vector>

// A new file only, with the fit made of its visits; written whole or not at all. Returns an
// exit code.
int WriteSweepRecord(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                     std::string& error);
bool ReadSweepRecord(const std::wstring& path, SweepRecord& record, std::string& error);
// The file holds a sweep (its "format" says so), not runs.
bool IsSweepFile(const std::wstring& path);
