// Reading the mean Zolvik shows from its pixels: glyph by glyph against reference glyphs
// rendered the way the program draws its readout, then the whole string again. Pixels it
// does not know, a readout stretched by a compositor among them, are refused, never read as
// another value. Needs no window: the glyphs and the strip come from the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A block of pixels as 0x00RRGGBB values, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> data;
    unsigned At(int x, int y) const
    {
        return data[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
};

// The characters a value is made of, and the unit drawn after it.
extern const wchar_t kReadoutChars[];
extern const wchar_t kReadoutUnit[];

struct ReadoutGlyphs {
    std::vector<Pixels> value; // one for each of kReadoutChars, in that order
    Pixels unit;               // " msec"
};

// What one look at the readout found.
struct Reading {
    bool decoded = false;
    std::wstring text; // the value as drawn, for example "4.594500"
    double mean = 0;
};

// `strip` starts where the value is drawn; `render` draws a whole text as the program would.
Reading DecodeReadout(const Pixels& strip, const ReadoutGlyphs& glyphs,
                      const std::function<Pixels(const std::wstring&)>& render);
