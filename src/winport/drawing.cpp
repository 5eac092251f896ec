// Drawing surfaces and what they draw into: each window's pixels, the built-in font, lines,
// fills and text, the system colours, and what tests read of the pixels.
#include "winport_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace winport
{
namespace
{

int openSurfaces = 0;

// A stand-in for the DC_PEN stock object: only its identity matters.
int dcPenObject;

struct Glyph {
    wchar_t ch;
    unsigned char rows[7]; // five columns, bit 4 leftmost
};

const Glyph kGlyphs[] = {
    {L' ', {0, 0, 0, 0, 0, 0, 0}},
    {L'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {L'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {L'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {L'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {L'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {L'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {L'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {L'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {L'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {L'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {L'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {L'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {L'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {L'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {L'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {L'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {L'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {L'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {L'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {L'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {L'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {L'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {L'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {L'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {L'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {L'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {L'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {L'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {L'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {L'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {L'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {L'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {L'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {L'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {L'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {L'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {L'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}},
    {L'b', {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}},
    {L'c', {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E}},
    {L'd', {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}},
    {L'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
    {L'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}},
    {L'g', {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E}},
    {L'h', {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {L'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {L'j', {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}},
    {L'k', {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12}},
    {L'l', {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {L'm', {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11}},
    {L'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {L'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {L'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {L'q', {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01}},
    {L'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
    {L's', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
    {L't', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}},
    {L'u', {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D}},
    {L'v', {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {L'w', {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A}},
    {L'x', {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}},
    {L'y', {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E}},
    {L'z', {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}},
    {L'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {L':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {L'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {L'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {L')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
};
const Glyph kUnknownGlyph = {L'?', {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F}};

const Glyph& GlyphFor(wchar_t ch)
{
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.ch == ch) {
            return glyph;
        }
    }
    return kUnknownGlyph;
}

// A surface handed to a caller must belong to a live window; anything else draws nothing.
HWND SurfaceWindow(HDC surface)
{
    return surface && IsLive(surface->window) ? surface->window : nullptr;
}

void PutPixel(HWND window, int x, int y, COLORREF colour)
{
    if (x >= 0 && y >= 0 && x < window->pixelWidth && y < window->pixelHeight) {
        window->pixels[static_cast<size_t>(y) * window->pixelWidth + x] = colour;
    }
}

void FillClipped(HWND window, int left, int top, int right, int bottom, COLORREF colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, window->pixelWidth);
    bottom = std::min(bottom, window->pixelHeight);
    for (int y = top; y < bottom; ++y) {
        COLORREF* row = &window->pixels[static_cast<size_t>(y) * window->pixelWidth];
        std::fill(row + left, row + std::max(left, right), colour);
    }
}

// General lines step along the major axis; the end point is never drawn.
void DrawSlantedLine(HWND window, int x0, int y0, int x1, int y1, COLORREF colour)
{
    const long long dx = std::llabs(static_cast<long long>(x1) - x0);
    const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    long long error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        PutPixel(window, x0, y0, colour);
        const long long twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

} // namespace

void FillArea(HWND window, const RECT& area, COLORREF colour)
{
    FillClipped(window, area.left, area.top, area.right, area.bottom, colour);
}

void DrawText(HWND window, int x, int y, const wchar_t* text, int length, COLORREF ink,
              COLORREF paper)
{
    FillClipped(window, x, y, x + length * kCharWidth, y + kCharHeight, paper);
    for (int i = 0; i < length; ++i) {
        const Glyph& glyph = GlyphFor(text[i]);
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (glyph.rows[row] & (0x10 >> column)) {
                    PutPixel(window, x + i * kCharWidth + 1 + column, y + 3 + row, ink);
                }
            }
        }
    }
}

void ResetDrawing()
{
    openSurfaces = 0;
}

int OpenSurfaces()
{
    return openSurfaces;
}

COLORREF Pixel(HWND window, int x, int y)
{
    if (!IsLive(window) || x < 0 || y < 0 || x >= window->pixelWidth || y >= window->pixelHeight) {
        return 0xFFFFFFFF;
    }
    return window->pixels[static_cast<size_t>(y) * window->pixelWidth + x];
}

bool SaveImage(HWND window, const char* path)
{
    if (!IsLive(window)) {
        return false;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", window->pixelWidth, window->pixelHeight);
    for (COLORREF colour : window->pixels) {
        const unsigned char rgb[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0;
}

} // namespace winport

using namespace winport;

HDC WINAPI GetDC(HWND window)
{
    Record("GetDC", {HandleValue(window)});
    if (!IsLive(window) || ShouldFail(Api::GetDC)) {
        return nullptr;
    }
    ++openSurfaces;
    return &window->surface;
}

int WINAPI ReleaseDC(HWND window, HDC surface)
{
    Record("ReleaseDC", {HandleValue(window), HandleValue(surface)});
    if (!surface || surface->window != window) {
        return 0;
    }
    --openSurfaces;
    return 1;
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    return object == DC_PEN ? &dcPenObject : nullptr;
}

HGDIOBJ WINAPI SelectObject(HDC surface, HGDIOBJ object)
{
    Record("SelectObject", {HandleValue(surface), object == &dcPenObject ? DC_PEN : -1});
    if (!SurfaceWindow(surface) || !object) {
        return nullptr;
    }
    HGDIOBJ previous = surface->pen;
    surface->pen = object;
    return previous ? previous : &dcPenObject;
}

COLORREF WINAPI SetDCPenColor(HDC surface, COLORREF colour)
{
    Record("SetDCPenColor", {static_cast<long long>(colour)});
    if (!SurfaceWindow(surface)) {
        return 0xFFFFFFFF;
    }
    const COLORREF previous = surface->penColour;
    surface->penColour = colour;
    return previous;
}

BOOL WINAPI MoveToEx(HDC surface, int x, int y, POINT* previous)
{
    Record("MoveToEx", {x, y});
    if (!SurfaceWindow(surface)) {
        return FALSE;
    }
    if (previous) {
        *previous = surface->position;
    }
    surface->position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC surface, int x, int y)
{
    Record("LineTo", {x, y});
    HWND window = SurfaceWindow(surface);
    if (!window) {
        return FALSE;
    }
    const int x0 = surface->position.x;
    const int y0 = surface->position.y;
    // The drawn pen is the adjustable one only while DC_PEN is selected; a surface that
    // never had it selected draws with the default black pen.
    const COLORREF colour = surface->pen == &dcPenObject ? surface->penColour : 0x000000;
    if (y0 == y) {
        if (y >= 0 && y < window->pixelHeight) {
            const int from = x0 < x ? x0 : x + 1;
            const int to = x0 < x ? x : x0 + 1;
            FillClipped(window, from, y, to, y + 1, colour);
        }
    } else if (x0 == x) {
        if (x >= 0 && x < window->pixelWidth) {
            const int from = std::max(y0 < y ? y0 : y + 1, 0);
            const int to = std::min(y0 < y ? y : y0 + 1, window->pixelHeight);
            COLORREF* pixel = &window->pixels[static_cast<size_t>(from) * window->pixelWidth + x];
            for (int row = from; row < to; ++row, pixel += window->pixelWidth) {
                *pixel = colour;
            }
        }
    } else {
        DrawSlantedLine(window, x0, y0, x, y, colour);
    }
    surface->position = POINT{x, y};
    return TRUE;
}

int WINAPI FillRect(HDC surface, const RECT* rect, HBRUSH fill)
{
    const auto brush = reinterpret_cast<std::intptr_t>(fill);
    if (rect) {
        Record("FillRect", {rect->left, rect->top, rect->right, rect->bottom, brush});
    }
    HWND window = SurfaceWindow(surface);
    // Only system-colour fills (index + 1) exist in this layer.
    if (!window || !rect || brush < 1 || brush > 31) {
        return 0;
    }
    FillClipped(window, rect->left, rect->top, rect->right, rect->bottom,
                GetSysColor(static_cast<int>(brush - 1)));
    return 1;
}

COLORREF WINAPI SetBkColor(HDC surface, COLORREF colour)
{
    Record("SetBkColor", {static_cast<long long>(colour)});
    if (!SurfaceWindow(surface)) {
        return 0xFFFFFFFF;
    }
    const COLORREF previous = surface->bkColour;
    surface->bkColour = colour;
    return previous;
}

BOOL WINAPI TextOutW(HDC surface, int x, int y, LPCWSTR text, int length)
{
    Record("TextOutW", {x, y, length}, text && length > 0 ? std::wstring(text, length) : L"");
    HWND window = SurfaceWindow(surface);
    if (!window || !text || length < 0) {
        return FALSE;
    }
    DrawText(window, x, y, text, length, surface->textColour, surface->bkColour);
    return TRUE;
}

DWORD WINAPI GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW:
    case COLOR_BTNHIGHLIGHT:
        return 0xFFFFFF;
    case COLOR_BTNFACE:
        return 0xF0F0F0;
    case COLOR_BTNSHADOW:
        return 0xA0A0A0;
    default:
        return 0x000000;
    }
}
