// What the rooms of the portable layer share. Each file owns its own state; this header
// declares what the others may call, grouped by the file that defines it. A file calls only
// the groups above its own (the control side, at the bottom, calls them all), with one
// exception: creating a "BUTTON" window reaches the button control's procedure.
//
//   trace.cpp              call trace and fault injection
//   clock.cpp              performance counter and the millisecond clock of timers
//   window_store.cpp       the windows themselves: lookup, client area, pixels, frame sizes
//   drawing.cpp            drawing surfaces, pixels, text and system colours
//   messages.cpp           message queue, sending, timers, painting and the message loop
//   focus.cpp              activation, keyboard focus and dialogue keys
//   placement.cpp          classes, creation, showing, moving, sizing and destruction
//   default_procedure.cpp  DefWindowProcW
//   button.cpp             the push button and check box control
//   control.cpp            the test-control side: reset and input as a user gives it
#pragma once

#include "winport_control.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// A window's drawing surface. Every window owns exactly one and hands it out on each GetDC,
// so the selected pen and colours persist between acquisitions as with CS_OWNDC.
struct HDC__ {
    HWND window = nullptr;
    HGDIOBJ pen = nullptr;
    COLORREF penColour = 0x000000;
    COLORREF bkColour = 0xFFFFFF;
    COLORREF textColour = 0x000000;
    POINT position = {0, 0};
};

struct HWND__ {
    bool alive = true;
    std::wstring className;
    std::wstring text;
    UINT classStyle = 0;
    WNDPROC procedure = nullptr;
    HBRUSH background = nullptr;
    DWORD style = 0;
    HWND parent = nullptr;
    int id = 0;
    RECT rect = {0, 0, 0, 0}; // outer; screen for top-level, parent client for children
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    RECT normalRect = {0, 0, 0, 0}; // where a maximized window returns to
    bool invalid = false;
    bool erase = false;
    int check = BST_UNCHECKED;
    HDC__ surface;
    // The client area's pixels, clipped to the screen's size.
    std::vector<COLORREF> pixels;
    int pixelWidth = 0;
    int pixelHeight = 0;
};

namespace winport
{

// ---- trace.cpp ----
// Returns true when this call of `api` is to fail.
bool ShouldFail(Api api);
void Record(const char* name, std::initializer_list<long long> args, std::wstring text = {});
long long HandleValue(const void* handle);
void ResetTrace();

// ---- clock.cpp ----
unsigned long long ClockMs();
void ResetClock();

// ---- window_store.cpp ----
// Frame of a top-level captioned, sizable window: the same on every side but the top.
constexpr int kFrame = 8;
constexpr int kCaptionFrame = 31;
extern int screenWidth;
extern int screenHeight;
HWND AddWindow(std::unique_ptr<HWND__> window);
const std::vector<std::unique_ptr<HWND__>>& Windows();
bool IsLive(HWND window);
bool IsTopLevel(HWND window);
bool IsInside(HWND window, HWND ancestor);
bool IsShown(HWND window); // it and all its ancestors are visible
RECT ClientRectOf(HWND window);
void MarkInvalid(HWND window);
// The pixel buffer follows the client area; what was on screen stays where it was.
void ResizePixels(HWND window);
void ResetWindows();

// ---- drawing.cpp ----
void FillArea(HWND window, const RECT& area, COLORREF colour);
void DrawText(HWND window, int x, int y, const wchar_t* text, int length, COLORREF ink,
              COLORREF paper);
void ResetDrawing();

// ---- messages.cpp ----
// The shift state that came with the message GetMessageW returned last.
bool ShiftWasDown();
void QueueMessage(const MSG& message, bool shift);
// Drops the window's queued messages and timers.
void ForgetMessagesOf(HWND window);
void ResetMessages();

// ---- focus.cpp ----
HWND FocusWindow();
HWND ActiveWindow();
void ActivateWindow(HWND window);
void DeactivateWindow(HWND window);
// A destroyed window takes the focus with it, without the messages of a focus change.
void DropFocusInside(HWND window);
void ResetFocus();

// ---- placement.cpp ----
MINMAXINFO QueryMinMax(HWND window);
// The common road of SetWindowPos and of a user dragging the frame.
void MoveAndSize(HWND window, int x, int y, int cx, int cy, UINT flags);
void ResetClasses();

// ---- button.cpp ----
LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace winport
