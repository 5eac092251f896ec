// What the drawing and the window halves of the layer share.
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

extern int screenWidth;
extern int screenHeight;

struct Fault {
    int skip = 0;
    int times = 0;
    std::function<bool()> decide;
};

// Returns true when this call of `api` is to fail.
bool ShouldFail(Api api);
void Record(const char* name, std::initializer_list<long long> args, std::wstring text = {});
long long HandleValue(const void* handle);

bool IsLive(HWND window);
RECT ClientRectOf(HWND window);
void ResizePixels(HWND window);
void FillArea(HWND window, const RECT& area, COLORREF colour);
void DrawText(HWND window, int x, int y, const wchar_t* text, int length, COLORREF ink,
              COLORREF paper);
void ResetDrawing();
int& OpenSurfaceCount();

} // namespace winport
