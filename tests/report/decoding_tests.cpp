// The readout's decoder on pixels Wine drew at 96 DPI (tests/data/readout, captured by the
// probe), and on the same readout stretched as a compositor stretches a DPI-unaware window
// on a scaled display (made by make_stretched.py beside them): read exactly, or refused.
#include "decoding/decoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace
{

const std::string kData = std::string(ZOLVIK_TEST_DATA) + "/readout/";

Pixels Load(const std::string& name)
{
    std::ifstream file(kData + name);
    Pixels pixels;
    file >> pixels.width >> pixels.height;
    pixels.data.resize(static_cast<std::size_t>(pixels.width) * pixels.height);
    for (unsigned& value : pixels.data) {
        file >> std::hex >> value;
    }
    return pixels;
}

ReadoutGlyphs LoadGlyphs()
{
    ReadoutGlyphs glyphs;
    for (const wchar_t* c = kReadoutChars; *c; ++c) {
        glyphs.value.push_back(Load(
            "glyph-" + (*c == L'.' ? std::string("point") : std::string(1, char(*c))) + ".txt"));
    }
    glyphs.unit = Load("glyph-unit.txt");
    return glyphs;
}

// Side by side, as the bitmap font draws a string.
Pixels Compose(const ReadoutGlyphs& glyphs, const std::wstring& text)
{
    Pixels out;
    out.height = glyphs.unit.height;
    std::vector<const Pixels*> parts;
    for (wchar_t c : text.substr(0, text.find(L' '))) {
        parts.push_back(&glyphs.value[std::wstring(kReadoutChars).find(c)]);
    }
    parts.push_back(&glyphs.unit);
    for (const Pixels* part : parts) {
        out.width += part->width;
    }
    out.data.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    int x = 0;
    for (const Pixels* part : parts) {
        for (int row = 0; row < part->height; ++row) {
            for (int column = 0; column < part->width; ++column) {
                out.data[static_cast<std::size_t>(row) * out.width + x + column] =
                    part->At(column, row);
            }
        }
        x += part->width;
    }
    return out;
}

} // namespace

TEST(ReportDecoding, AReadoutAt96DpiIsReadAndAStretchedOneRefused)
{
    const ReadoutGlyphs glyphs = LoadGlyphs();
    const auto render = [&](const std::wstring& text) { return Compose(glyphs, text); };
    std::ifstream valueFile(kData + "readout-value.txt");
    std::string expected;
    valueFile >> expected;
    const Reading plain = DecodeReadout(Load("readout.txt"), glyphs, render);
    ASSERT_TRUE(plain.decoded);
    EXPECT_EQ(std::string(plain.text.begin(), plain.text.end()), expected);
    for (const char* filter : {"nearest", "bilinear"}) {
        for (int percent : {125, 150, 175, 200}) {
            const std::string name =
                std::string("readout-") + filter + "-" + std::to_string(percent) + ".txt";
            const Pixels stretched = Load(name);
            ASSERT_GT(stretched.width, 0) << name;
            EXPECT_FALSE(DecodeReadout(stretched, glyphs, render).decoded) << name;
        }
    }
}

// Pixels that are almost the readout (one pixel changed in a digit) are refused too.
TEST(ReportDecoding, APixelOffInADigitIsRefused)
{
    const ReadoutGlyphs glyphs = LoadGlyphs();
    const auto render = [&](const std::wstring& text) { return Compose(glyphs, text); };
    Pixels strip = Load("readout.txt");
    const Pixels& first = glyphs.value[0];
    for (int row = 0; row < first.height; ++row) {
        for (int column = 0; column < first.width; ++column) {
            Pixels changed = strip;
            changed.data[static_cast<std::size_t>(row) * strip.width + column] ^= 0x010101;
            EXPECT_FALSE(DecodeReadout(changed, glyphs, render).decoded) << row << "," << column;
        }
    }
}
