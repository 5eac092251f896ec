#include "bench.h"

#include <cwchar>

TimingHistory timingHistory;

namespace
{

constexpr unsigned kSlotMask = 7; // eight slots
const wchar_t kCaption[] = L"Line drawing time:";
const RECT kReadoutArea = {4, 4, 340, 80}; // erased by a reset, left of the reset button

} // namespace

TimingHistory::TimingHistory()
{
    Clear();
}

void TimingHistory::Push(double ms)
{
    samples[(static_cast<unsigned>(first) + count) & kSlotMask] = ms;
    ++count;
    if (count > kSlotMask + 1) {
        count = kSlotMask + 1;
        first = static_cast<int>((static_cast<unsigned>(first) + 1) & kSlotMask);
    }
}

double TimingHistory::Average() const
{
    if (count == 0) {
        return 0.0;
    }
    double sum = 0.0;
    for (unsigned i = 0; i < count; ++i) {
        sum += samples[(static_cast<unsigned>(first) + i) & kSlotMask];
    }
    return sum / static_cast<double>(count);
}

void TimingHistory::Clear()
{
    for (double& sample : samples) {
        sample = 0.0;
    }
    first = 0;
    count = 0;
}

void DrawTimingReadout(HDC surface)
{
    SetBkColor(surface, GetSysColor(COLOR_BTNFACE));
    TextOutW(surface, 4, 4, kCaption, static_cast<int>(std::wcslen(kCaption)));

    // The four trailing spaces are drawn opaque and wipe the tail of a longer earlier value.
    wchar_t text[100];
    const int length = std::swprintf(text, 100, L"%.6f msec    ", timingHistory.Average());
    if (length > 0) {
        TextOutW(surface, kReadoutLeft, kReadoutTop, text, length);
    }
}

void ResetStatistics(HWND window)
{
    timingHistory.Clear();
    HDC surface = GetDC(window);
    if (!surface) {
        return;
    }
    FillRect(surface, &kReadoutArea, SystemColourFill(COLOR_BTNFACE));
    DrawTimingReadout(surface);
    ReleaseDC(window, surface);
}
