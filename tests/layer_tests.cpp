// The portable layer's own effects that the program's figures and pictures rest on.
#include "test_support.h"

#include <cstdio>
#include <string>

namespace
{

using LayerTest = ZolvikTest;

constexpr COLORREF kInk = 0x00FF00;

// Draws one line on a window cleared to white and returns the pixels it set.
std::vector<POINT> LinePixels(int x0, int y0, int x1, int y1)
{
    HWND window = MakeSurfaceWindow(40, 40);
    HDC surface = GetDC(window);
    const RECT all = {0, 0, 40, 40};
    FillRect(surface, &all, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    SelectObject(surface, GetStockObject(DC_PEN));
    SetDCPenColor(surface, kInk);
    MoveToEx(surface, x0, y0, nullptr);
    LineTo(surface, x1, y1);
    ReleaseDC(window, surface);
    std::vector<POINT> drawn;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (winport::Pixel(window, x, y) == kInk) {
                drawn.push_back(POINT{x, y});
            }
        }
    }
    return drawn;
}

TEST_F(LayerTest, LinesRunEveryWayAndStopShortOfTheirEndPoint)
{
    struct Case {
        int x0, y0, x1, y1;
        size_t count;
        POINT first, last; // in row-major order
    };
    const Case cases[] = {
        {5, 7, 12, 7, 7, {5, 7}, {11, 7}},       // right
        {12, 7, 5, 7, 7, {6, 7}, {12, 7}},       // left
        {3, 2, 3, 10, 8, {3, 2}, {3, 9}},        // down
        {3, 10, 3, 2, 8, {3, 3}, {3, 10}},       // up
        {0, 0, 6, 6, 6, {0, 0}, {5, 5}},         // diagonal
        {-10, 20, 10, 20, 10, {0, 20}, {9, 20}}, // clipped on the left
        {30, 35, 30, 60, 5, {30, 35}, {30, 39}}, // clipped below
        {8, 8, 8, 8, 0, {0, 0}, {0, 0}},         // a point: nothing
        {50, 5, 60, 5, 0, {0, 0}, {0, 0}},       // wholly outside
    };
    for (const Case& c : cases) {
        SetUp();
        const std::vector<POINT> drawn = LinePixels(c.x0, c.y0, c.x1, c.y1);
        ASSERT_EQ(drawn.size(), c.count) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        if (c.count > 0) {
            EXPECT_EQ(drawn.front().x, c.first.x);
            EXPECT_EQ(drawn.front().y, c.first.y);
            EXPECT_EQ(drawn.back().x, c.last.x);
            EXPECT_EQ(drawn.back().y, c.last.y);
        }
    }
}

TEST_F(LayerTest, FillRectFillsHalfOpenAreasAndNothingWhenEmptyOrInverted)
{
    HWND window = MakeSurfaceWindow(20, 20);
    HDC surface = GetDC(window);
    const RECT inverted = {10, 10, 2, 2};
    const RECT empty = {5, 5, 5, 9};
    const RECT area = {2, 3, 6, 8};
    FillRect(surface, &inverted, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    FillRect(surface, &empty, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    int white = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            white += winport::Pixel(window, x, y) == 0xFFFFFFu;
        }
    }
    EXPECT_EQ(white, 0);
    FillRect(surface, &area, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(winport::Pixel(window, 2, 3), 0xF0F0F0u);
    EXPECT_EQ(winport::Pixel(window, 5, 7), 0xF0F0F0u);
    EXPECT_NE(winport::Pixel(window, 6, 7), 0xF0F0F0u);
    EXPECT_NE(winport::Pixel(window, 5, 8), 0xF0F0F0u);
    ReleaseDC(window, surface);
}

TEST_F(LayerTest, TextIsAnOpaqueCellWithDistinctGlyphs)
{
    HWND window = MakeSurfaceWindow(200, 40);
    HDC surface = GetDC(window);
    SetBkColor(surface, 0x123456);
    TextOutW(surface, 0, 0, L"0123456789.: msecLinDrawgtA", 27);
    // Every glyph differs from every other, and the cell is the background colour.
    std::vector<std::vector<bool>> glyphs;
    for (int i = 0; i < 27; ++i) {
        std::vector<bool> bits;
        for (int y = 0; y < winport::kCharHeight; ++y) {
            for (int x = 0; x < winport::kCharWidth; ++x) {
                const COLORREF c = winport::Pixel(window, i * winport::kCharWidth + x, y);
                ASSERT_TRUE(c == 0x123456u || c == 0x000000u);
                bits.push_back(c == 0x000000u);
            }
        }
        glyphs.push_back(bits);
    }
    for (size_t i = 0; i < glyphs.size(); ++i) {
        for (size_t j = i + 1; j < glyphs.size(); ++j) {
            EXPECT_NE(glyphs[i], glyphs[j]) << "glyphs " << i << " and " << j;
        }
    }
    ReleaseDC(window, surface);
}

TEST_F(LayerTest, CounterStepsPerReadingAndTimersFollowTheClock)
{
    winport::SetPerformanceCounter(100, 7);
    LARGE_INTEGER a;
    LARGE_INTEGER b;
    QueryPerformanceCounter(&a);
    QueryPerformanceCounter(&b);
    EXPECT_EQ(a.QuadPart, 100);
    EXPECT_EQ(b.QuadPart, 107);

    HWND window = MakeSurfaceWindow(20, 20);
    ASSERT_NE(SetTimer(window, 0, 500, nullptr), 0u);
    int ticks = 0;
    winport::WhenIdle([] { winport::AdvanceClock(499); });
    winport::WhenIdle([&ticks] {
        EXPECT_EQ(ticks, 0);
        winport::AdvanceClock(1);
    });
    winport::WhenIdle([&ticks] {
        EXPECT_EQ(ticks, 1);
        winport::AdvanceClock(5000); // a late timer fires once, not ten times
    });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        ticks += message.message == WM_TIMER;
    }
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(winport::ScriptRanOut());
}

} // namespace

namespace
{

TEST_F(LayerTest, FramebufferSavesAsAPortablePixmap)
{
    HWND window = MakeSurfaceWindow(200, 2);
    HDC surface = GetDC(window);
    const RECT pixel = {1, 0, 2, 1};
    FillRect(surface, &pixel, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    ReleaseDC(window, surface);
    const std::string path = ::testing::TempDir() + "winport_save.ppm";
    ASSERT_TRUE(winport::SaveImage(window, path.c_str()));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char header[16] = {};
    ASSERT_EQ(std::fread(header, 1, 13, file), 13u);
    EXPECT_STREQ(header, "P6\n200 2\n255\n");
    unsigned char rgb[200 * 2 * 3] = {};
    EXPECT_EQ(std::fread(rgb, 1, sizeof rgb, file), sizeof rgb);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(rgb[0], 0);    // untouched
    EXPECT_EQ(rgb[3], 0xFF); // the white pixel at (1, 0)
    EXPECT_EQ(rgb[5], 0xFF);
    EXPECT_FALSE(winport::SaveImage(nullptr, path.c_str()));
}

// Without pixels every call still answers and traces as before; only nothing is painted.
TEST_F(LayerTest, WithoutPixelsDrawingKeepsItsOtherEffects)
{
    std::vector<winport::Call> calls[2];
    for (bool kept : {true, false}) {
        SetUp();
        winport::KeepPixels(kept);
        winport::EnableTrace(true);
        EXPECT_EQ(LinePixels(5, 7, 12, 7).size(), kept ? 7u : 0u);
        calls[kept] = winport::Trace();
        winport::EnableTrace(false);
    }
    ASSERT_EQ(calls[0].size(), calls[1].size());
    for (size_t i = 0; i < calls[0].size(); ++i) {
        const std::string& name = calls[0][i].name;
        EXPECT_EQ(name, calls[1][i].name);
        // Handles differ between the two windows; coordinates, colours and fills may not.
        if (name != "GetDC" && name != "ReleaseDC" && name != "SelectObject") {
            EXPECT_EQ(calls[0][i].args, calls[1][i].args) << name;
        }
    }
    winport::Reset();
    EXPECT_EQ(LinePixels(5, 7, 12, 7).size(), 7u);
}

} // namespace
