#include "readout.h"

#include "screen_pixels.h"

#include <cwchar>
#include <vector>

namespace
{

constexpr int kValueX = 200;
constexpr int kValueY = 4;
const wchar_t kValueChars[] = L"0123456789.";
const wchar_t kUnitText[] = L" msec    ";

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
            glyphs.value[i] = RenderText(std::wstring(1, kValueChars[i]));
        }
        glyphs.unit = RenderText(L" msec");
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
    const Pixels screen =
        CaptureClient(window, kValueX, kValueY, client.right - kValueX, TheGlyphs().unit.height);

    text.clear();
    if (!DecodeFrom(screen, 0, text) || !WellFormed(text)) {
        return false;
    }
    // Glyphs drawn one by one could in principle differ from the string drawn at once; the
    // whole readout must match too.
    if (!Matches(screen, 0, RenderText(text + kUnitText))) {
        return false;
    }
    mean = std::wcstod(text.c_str(), nullptr);
    return true;
}
