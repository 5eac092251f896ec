// What the probe's rooms share: its verdict count, its assertions and how it resizes the
// program's window from outside.
#pragma once

#include <windows.h>

#include <string>

namespace probe
{

const wchar_t kClassName[] = L"ZolvikWindowClass";
constexpr int kClientWidth = 908;
constexpr int kClientHeight = 688;

extern int failures;
void Expect(bool condition, const char* what, long long got = 0, long long wanted = 0);
void ExpectEqual(long long got, long long wanted, const char* what);
void ExpectText(const std::wstring& got, const std::wstring& wanted, const char* what);

// The checks of the window as a person sees it (probe_checks.cpp).
void CheckWindow(HWND main);
void CheckControls(HWND main);
void CheckGrid(HWND main);
void CheckCaption(HWND main);
void CheckReset(HWND main);
void CheckResizing(HWND main);
void CheckTab(HWND main);
bool CheckResources(const wchar_t* exe);

// Driving it: sizes, a soak, an impostor, a side-by-side measurement (probe_drive.cpp).
void SetOuterSize(HWND main, int width, int height);
// Allows resizing and gives the window a client area with a drawing rectangle of the size.
void SetDrawingArea(HWND main, int width, int height);
// Unchecks "Allow window resizing": the window snaps back to its fixed size.
void RestoreDesignedSize(HWND main);
void PressEscape(HWND main);
void CloseBox(HWND main);
void CheckSoak(HWND main, int passes);
int RunImpostor();
void MeasureSideBySide(HWND main, int width, int height, int pairs);

// A desktop event (probe_desktop.cpp): minimize, restore, move X Y, cover SECONDS, and
// standard: the window put back as Zolvik starts.
void DesktopEvent(HWND main, const std::wstring& action, int x, int y);
// The reference glyphs and the readout as captured now, as text files in `folder`: the
// native tests' data for the decoder.
void SaveReadoutData(HWND main, const std::wstring& folder);

} // namespace probe
