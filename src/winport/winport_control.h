// Test-only control of the portable Windows layer: the call trace, fault injection, input,
// the clock and the pixels. Product code never includes this header.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace winport
{

// Forgets every window, class, timer, queued message, fault and trace entry, and sets the
// clock, the performance counter (frequency 10,000,000, step 0) and the focus back to start.
void Reset();

// --- Call trace -------------------------------------------------------------------------
struct Call {
    std::string name;
    std::vector<long long> args; // handles are recorded as their address
    std::wstring text;           // the text of TextOutW, the class of CreateWindowExW
};
void EnableTrace(bool on);
const std::vector<Call>& Trace();
void ClearTrace();

// --- Faults -----------------------------------------------------------------------------
enum class Api { GetDC, AdjustWindowRect, CreateWindowExW, SetTimer, GetMessageW };
// Lets the next `skip` calls of `api` succeed, then fails `times` calls (-1: every one).
void FailCall(Api api, int skip = 0, int times = 1);
// Fails each call of `api` for which `decide` returns true (replaces FailCall for that api).
void FailWhen(Api api, std::function<bool()> decide);

// --- Clock ------------------------------------------------------------------------------
void SetPerformanceFrequency(long long countsPerSecond);
// The counter reads `value` next and advances by `stepPerReading` after every reading.
void SetPerformanceCounter(long long value, long long stepPerReading);
long long PerformanceCounterReadings();
// The counter reads the host's steady clock in nanoseconds (frequency 1,000,000,000), so that
// the program's own figure measures the layer's real drawing time.
void UseSteadyClockCounter(bool on);
// Advances the millisecond clock that drives timers.
void AdvanceClock(unsigned milliseconds);
unsigned long long Now();

// The screen limits how large a window can be made (default 1920 x 1080).
void SetScreenSize(int width, int height);
// With false, windows keep no pixels: every drawing call has all its other effects (trace,
// pen, position, results) but paints nothing. For drivers that check no pixels, such as the
// message fuzzer, which then runs many times faster. Reset() turns pixels back on.
void KeepPixels(bool on);

// --- Driving a message loop -------------------------------------------------------------
// GetMessageW runs the next step whenever it has nothing to deliver. When no step is left it
// ends the loop as a quit message would and records that the script ran out.
void WhenIdle(std::function<void()> step);
bool ScriptRanOut();

// --- Input, as a user would give it -----------------------------------------------------
void PressKey(WPARAM virtualKey, bool shift = false); // queued to the focus window
void ClickButton(HWND button);                        // mouse down and up on a button
void ClickCloseBox(HWND window);
void Activate(HWND window);
void Deactivate(HWND window);
void ResizeByUser(HWND window, int width, int height); // outer size, through the min/max pin
void Invalidate(HWND window);
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Called with every message just before a window procedure receives it.
void OnDeliver(std::function<void(HWND, UINT, WPARAM, LPARAM)> observer);
void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Inspection -------------------------------------------------------------------------
HWND ChildById(HWND parent, int id);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
DWORD Style(HWND window);
RECT OuterRect(HWND window); // screen coordinates for top-level windows, parent client for children
bool IsAlive(HWND window);
bool IsVisible(HWND window);
bool IsMinimized(HWND window);
int TimerCount(HWND window);
int OpenSurfaces(); // surfaces acquired with GetDC and not yet released
int QueuedMessages();
COLORREF Pixel(HWND window, int x, int y);
bool SaveImage(HWND window, const char* path); // binary PPM of the client area

// Font metrics of the built-in text, for tests that look at drawn text.
constexpr int kCharWidth = 7;
constexpr int kCharHeight = 13;

} // namespace winport
