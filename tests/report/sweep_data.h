// The recorded sweeps the tests read: tests/data/report/sweep/NAME.json.
#pragma once

#include "results/sweep_record.h"

#include <gtest/gtest.h>

#include <string>

inline const std::string kSweepData = std::string(ZOLVIK_TEST_DATA) + "/report/sweep/";

inline SweepRecord Sweep(const std::string& name)
{
    SweepRecord record;
    std::string error;
    const std::string path = kSweepData + name + ".json";
    EXPECT_TRUE(ReadSweepRecord(std::wstring(path.begin(), path.end()), record, error)) << error;
    return record;
}
