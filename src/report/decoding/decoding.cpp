#include "decoding/decoding.h"

#include <cwchar>

const wchar_t kReadoutChars[] = L"0123456789.";
const wchar_t kReadoutUnit[] = L" msec    ";

namespace
{

bool Matches(const Pixels& strip, int x, const Pixels& glyph)
{
    if (glyph.width == 0 || x + glyph.width > strip.width || glyph.height > strip.height) {
        return false;
    }
    for (int row = 0; row < glyph.height; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
            if (strip.At(x + column, row) != glyph.At(column, row)) {
                return false;
            }
        }
    }
    return true;
}

// Glyph by glyph from x, backtracking where two glyphs fit, until the unit text follows.
bool DecodeFrom(const Pixels& strip, const ReadoutGlyphs& glyphs, int x, std::wstring& text)
{
    if (!text.empty() && Matches(strip, x, glyphs.unit)) {
        return true;
    }
    if (text.size() > 24) {
        return false;
    }
    for (std::size_t i = 0; i < glyphs.value.size(); ++i) {
        if (Matches(strip, x, glyphs.value[i])) {
            text.push_back(kReadoutChars[i]);
            if (DecodeFrom(strip, glyphs, x + glyphs.value[i].width, text)) {
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
    const std::size_t point = text.find(L'.');
    return point != std::wstring::npos && point > 0 && text.size() - point == 7 &&
           text.find(L'.', point + 1) == std::wstring::npos;
}

} // namespace

// Glyphs are matched one by one; the whole readout, drawn at once, must match too, since
// glyphs drawn singly could in principle differ from the string.
Reading DecodeReadout(const Pixels& strip, const ReadoutGlyphs& glyphs,
                      const std::function<Pixels(const std::wstring&)>& render)
{
    Reading reading;
    if (!DecodeFrom(strip, glyphs, 0, reading.text) || !WellFormed(reading.text) ||
        !Matches(strip, 0, render(reading.text + kReadoutUnit))) {
        return Reading();
    }
    reading.decoded = true;
    reading.mean = std::wcstod(reading.text.c_str(), nullptr);
    return reading;
}
