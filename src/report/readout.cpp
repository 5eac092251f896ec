#include "readout.h"

#include <cwchar>
#include <vector>

namespace
{

constexpr int kValueX = 200;
constexpr int kValueY = 4;
const wchar_t kValueChars[] = L"0123456789.";
const wchar_t kUnitText[] = L" msec    ";

// A block of pixels as 0x00RRGGBB values, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> data;
    unsigned At(int x, int y) const
    {
        return data[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
    }
};

Pixels CopyFrom(HDC source, int x, int y, int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(memory);
        pixels.width = pixels.height = 0;
        pixels.data.clear();
        return pixels;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const unsigned* raw = static_cast<const unsigned*>(bits);
    for (size_t i = 0; i < pixels.data.size(); ++i) {
        pixels.data[i] = raw[i] & 0xFFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

Pixels Render(const std::wstring& text)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &size);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetBkColor(memory, GetSysColor(COLOR_BTNFACE));
    TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
    Pixels pixels = CopyFrom(memory, 0, 0, size.cx, size.cy);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool Matches(const Pixels& screen, int x, const Pixels& glyph)
{
    if (glyph.width == 0 || x + glyph.width > screen.width || glyph.height > screen.height) {
        return false;
    }
    for (int row = 0; row < glyph.height; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
            if (screen.At(x + column, row) != glyph.At(column, row)) {
                return false;
            }
        }
    }
    return true;
}

struct Glyphs {
    Pixels value[sizeof(kValueChars) / sizeof(wchar_t) - 1];
    Pixels unit;
};

const Glyphs& TheGlyphs()
{
    static Glyphs glyphs;
    static bool rendered = false;
    if (!rendered) {
        for (size_t i = 0; i + 1 < sizeof(kValueChars) / sizeof(wchar_t); ++i) {
            glyphs.value[i] = Render(std::wstring(1, kValueChars[i]));
        }
        glyphs.unit = Render(L" msec");
        rendered = true;
    }
    return glyphs;
}

// Glyph by glyph from x, backtracking where two glyphs fit, until the unit text follows.
bool DecodeFrom(const Pixels& screen, int x, std::wstring& text)
{
    const Glyphs& glyphs = TheGlyphs();
    if (!text.empty() && Matches(screen, x, glyphs.unit)) {
        return true;
    }
    if (text.size() > 24) {
        return false;
    }
    for (size_t i = 0; i + 1 < sizeof(kValueChars) / sizeof(wchar_t); ++i) {
        if (Matches(screen, x, glyphs.value[i])) {
            text.push_back(kValueChars[i]);
            if (DecodeFrom(screen, x + glyphs.value[i].width, text)) {
                return true;
            }
            text.pop_back();
        }
    }
    return false;
}

// What the program formats with "%.6f": digits, a point, six digits.
bool WellFormed(const std::wstring& text)
{
    const size_t point = text.find(L'.');
    return point != std::wstring::npos && point > 0 && text.size() - point == 7 &&
           text.find(L'.', point + 1) == std::wstring::npos;
}

} // namespace

bool ReadShownMean(HWND window, double& mean, std::wstring& text)
{
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= kValueX) {
        return false;
    }
    POINT origin = {kValueX, kValueY};
    ClientToScreen(window, &origin);
    const int height = TheGlyphs().unit.height;
    HDC screenDc = GetDC(nullptr);
    const Pixels screen = CopyFrom(screenDc, origin.x, origin.y, client.right - kValueX, height);
    ReleaseDC(nullptr, screenDc);

    text.clear();
    if (!DecodeFrom(screen, 0, text) || !WellFormed(text)) {
        return false;
    }
    // Glyphs drawn one by one could in principle differ from the string drawn at once; the
    // whole readout must match too.
    if (!Matches(screen, 0, Render(text + kUnitText))) {
        return false;
    }
    mean = std::wcstod(text.c_str(), nullptr);
    return true;
}
