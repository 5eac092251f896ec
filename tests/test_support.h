// Shared set-up for tests that run product code on the portable layer.
#pragma once

#include "bench/bench.h"
#include "program_state.h"
#include "shell/shell.h"
#include "winport_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every test starts from a fresh layer and the program's process-wide state as at start-up.
class ZolvikTest : public ::testing::Test
{
  protected:
    void SetUp() override { ResetProgram(); }
    void TearDown() override { winport::Reset(); }
};

// The calls of the trace with this name, in order.
std::vector<winport::Call> CallsNamed(const char* name);

// The text of the last TextOutW drawn at (x, y), or "<none>".
std::wstring LastTextAt(int x, int y);
