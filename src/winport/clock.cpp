// The performance counter, scripted or read from the host's steady clock, and the
// millisecond clock that drives timers.
#include "winport_internal.h"

#include <chrono>

namespace winport
{
namespace
{

long long counterFrequency = 10000000;
long long counterValue = 0;
long long counterStep = 0;
long long counterReadings = 0;
bool steadyCounter = false;
unsigned long long clockMs = 0;

} // namespace

unsigned long long ClockMs()
{
    return clockMs;
}

void ResetClock()
{
    counterFrequency = 10000000;
    counterValue = 0;
    counterStep = 0;
    counterReadings = 0;
    steadyCounter = false;
    clockMs = 0;
}

void AdvanceClock(unsigned milliseconds)
{
    clockMs += milliseconds;
}

unsigned long long Now()
{
    return clockMs;
}

void UseSteadyClockCounter(bool on)
{
    steadyCounter = on;
}

void SetPerformanceFrequency(long long countsPerSecond)
{
    counterFrequency = countsPerSecond;
}

void SetPerformanceCounter(long long value, long long stepPerReading)
{
    counterValue = value;
    counterStep = stepPerReading;
}

long long PerformanceCounterReadings()
{
    return counterReadings;
}

} // namespace winport

using namespace winport;

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    Record("QueryPerformanceFrequency", {counterFrequency});
    frequency->QuadPart = steadyCounter ? 1000000000 : counterFrequency;
    return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count)
{
    Record("QueryPerformanceCounter", {counterValue});
    if (steadyCounter) {
        count->QuadPart = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count();
        return TRUE;
    }
    count->QuadPart = counterValue;
    counterValue += counterStep;
    ++counterReadings;
    return TRUE;
}
