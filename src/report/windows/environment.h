// Where a run ran, as the platform tells it: the measured program and the machine.
#pragma once

#include <windows.h>

#include <string>

// {"version", "path"} of the program that owns `window`, from its file's version record.
std::string ProgramJson(HWND window);
// {"os", "wine", "adapter", "driver_version", "driver_date", "driver_provider", "screen",
// "dpi", "cpu", "logical_processors", "memory_mb"}; null wherever the platform is silent.
std::string EnvironmentJson();
// The time now in UTC, ISO 8601, to the second.
std::string UtcNow();
