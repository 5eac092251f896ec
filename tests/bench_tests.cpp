// The timing history, its readout and the benchmark pass.
#include "test_support.h"

#include <algorithm>
#include <string>

namespace
{

using winport::Call;

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kWindow = 0xFFFFFF;
constexpr COLORREF kButtonFace = 0xF0F0F0;

using BenchTest = ZolvikTest;

TEST_F(BenchTest, HistoryStartsEmptyAndKeepsTheLastEightInItsRing)
{
    TimingHistory history;
    EXPECT_EQ(history.first, 0);
    EXPECT_EQ(history.count, 0u);
    for (double sample : history.samples) {
        EXPECT_EQ(sample, 0.0);
    }
    EXPECT_EQ(history.Average(), 0.0);

    const double expectedMeans[] = {1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5, 5.5};
    for (int i = 1; i <= 9; ++i) {
        history.Push(i);
        EXPECT_EQ(history.count, static_cast<unsigned>(i < 8 ? i : 8)) << "after push " << i;
        EXPECT_EQ(history.first, i <= 8 ? 0 : 1) << "after push " << i;
        EXPECT_DOUBLE_EQ(history.Average(), expectedMeans[i - 1]) << "after push " << i;
    }
    EXPECT_EQ(history.samples[0], 9.0); // the ninth replaced the oldest
    EXPECT_EQ(history.samples[1], 2.0);

    for (int i = 10; i <= 17; ++i) {
        history.Push(i); // a full second lap: the oldest slot walks round with the writes
    }
    EXPECT_EQ(history.first, 1);
    EXPECT_DOUBLE_EQ(history.Average(), 13.5);
}

TEST_F(BenchTest, ClearForgetsEverythingAndTheNextSampleStandsAlone)
{
    TimingHistory history;
    for (int i = 0; i < 11; ++i) {
        history.Push(100.0 + i);
    }
    history.Clear();
    EXPECT_EQ(history.first, 0);
    EXPECT_EQ(history.count, 0u);
    EXPECT_EQ(history.Average(), 0.0);
    history.Push(0.1234567);
    EXPECT_EQ(history.Average(), 0.1234567);
    EXPECT_EQ(history.count, 1u);
}

TEST_F(BenchTest, ReadoutShowsCaptionAndMeanWithSixDecimalsAndTrailingSpaces)
{
    HWND window = MakeSurfaceWindow(908, 688);
    HDC surface = GetDC(window);
    struct Case {
        double mean;
        std::wstring text;
    };
    const Case cases[] = {{0.0, L"0.000000 msec    "},
                          {0.5, L"0.500000 msec    "},
                          {1234.5678904, L"1234.567890 msec    "}};
    for (const Case& c : cases) {
        timingHistory.Clear();
        if (c.mean != 0.0) {
            timingHistory.Push(c.mean);
        }
        winport::EnableTrace(true);
        winport::ClearTrace();
        DrawTimingReadout(surface);
        const std::vector<Call>& trace = winport::Trace();
        ASSERT_EQ(trace.size(), 3u);
        EXPECT_EQ(trace[0].name, "SetBkColor");
        EXPECT_EQ(trace[0].args[0], static_cast<long long>(kButtonFace));
        EXPECT_EQ(trace[1].name, "TextOutW");
        EXPECT_EQ(trace[1].args, (std::vector<long long>{4, 4, 18}));
        EXPECT_EQ(trace[1].text, L"Line drawing time:");
        EXPECT_EQ(trace[2].name, "TextOutW");
        EXPECT_EQ(trace[2].args[0], 200);
        EXPECT_EQ(trace[2].args[1], 4);
        EXPECT_EQ(trace[2].args[2], static_cast<long long>(c.text.size()));
        EXPECT_EQ(trace[2].text, c.text);
    }
    ReleaseDC(window, surface);
}

TEST_F(BenchTest, PassTimesExactlyTheLinesOfTheDesignedGrid)
{
    HWND window = MakeSurfaceWindow(908, 688);
    winport::SetPerformanceCounter(5000, 12345); // each reading 1.2345 ms after the one before
    winport::EnableTrace(true);
    RunLinePass(window);

    const std::vector<Call>& trace = winport::Trace();
    std::vector<std::string> names;
    for (const Call& call : trace) {
        names.push_back(call.name);
    }
    ASSERT_GE(names.size(), 8u);
    EXPECT_EQ(names[0], "GetDC");
    EXPECT_EQ(names[1], "SelectObject");
    EXPECT_EQ(trace[1].args[1], DC_PEN);
    EXPECT_EQ(names[2], "FillRect");
    EXPECT_EQ(trace[2].args, (std::vector<long long>{4, 84, 904, 684, COLOR_WINDOW + 1}));
    EXPECT_EQ(names[3], "QueryPerformanceFrequency");
    EXPECT_EQ(names[4], "QueryPerformanceCounter");

    // Between the two readings: three colours, each 150 horizontal then 225 vertical lines.
    size_t at = 5;
    const COLORREF colours[] = {kBlack, kRed, kBlue};
    for (COLORREF colour : colours) {
        ASSERT_EQ(names[at], "SetDCPenColor");
        EXPECT_EQ(trace[at].args[0], static_cast<long long>(colour));
        ++at;
        for (int y = 84; y < 684; y += 4, at += 2) {
            ASSERT_EQ(names[at], "MoveToEx");
            ASSERT_EQ(trace[at].args, (std::vector<long long>{4, y}));
            ASSERT_EQ(names[at + 1], "LineTo");
            ASSERT_EQ(trace[at + 1].args, (std::vector<long long>{904, y}));
        }
        for (int x = 4; x < 904; x += 4, at += 2) {
            ASSERT_EQ(trace[at].args, (std::vector<long long>{x, 84}));
            ASSERT_EQ(trace[at + 1].args, (std::vector<long long>{x, 684}));
        }
    }
    EXPECT_EQ(names[at], "QueryPerformanceCounter");
    EXPECT_EQ(CallsNamed("MoveToEx").size(), 1125u);
    EXPECT_EQ(CallsNamed("LineTo").size(), 1125u);
    EXPECT_EQ(CallsNamed("QueryPerformanceCounter").size(), 2u);

    // After the timed region: the readout on the same surface, then its release.
    EXPECT_EQ(names[at + 1], "SetBkColor");
    EXPECT_EQ(names.back(), "ReleaseDC");
    EXPECT_EQ(CallsNamed("GetDC").size(), 1u);
    EXPECT_EQ(winport::OpenSurfaces(), 0);
    EXPECT_EQ(timingHistory.count, 1u);
    EXPECT_DOUBLE_EQ(timingHistory.samples[0], 1.2345);
    EXPECT_EQ(LastTextAt(200, 4), L"1.234500 msec    ");
}

TEST_F(BenchTest, DurationIsCountsTimesAThousandOverTheFrequencyReadEachPass)
{
    HWND window = MakeSurfaceWindow(908, 688);
    winport::SetPerformanceFrequency(3);
    winport::SetPerformanceCounter(0, 1);
    RunLinePass(window);
    EXPECT_DOUBLE_EQ(timingHistory.samples[0], 1000.0 / 3.0);
    winport::SetPerformanceFrequency(1000);
    RunLinePass(window);
    EXPECT_DOUBLE_EQ(timingHistory.samples[1], 1.0);
}

struct DegenerateCase {
    RECT rect;
    size_t horizontalPerColour;
    size_t verticalPerColour;
};

class DegenerateRectTest : public ZolvikTest, public ::testing::WithParamInterface<DegenerateCase>
{
};

TEST_P(DegenerateRectTest, DrawsTheLinesThatFitAndStillRecordsASample)
{
    const DegenerateCase& c = GetParam();
    HWND window = MakeSurfaceWindow(908, 688);
    drawRect = c.rect;
    winport::SetPerformanceCounter(0, 10000);
    winport::EnableTrace(true);
    RunLinePass(window);

    const std::vector<Call> fills = CallsNamed("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].args, (std::vector<long long>{c.rect.left, c.rect.top, c.rect.right,
                                                     c.rect.bottom, COLOR_WINDOW + 1}));
    const std::vector<Call> lines = CallsNamed("LineTo");
    const std::vector<Call> moves = CallsNamed("MoveToEx");
    ASSERT_EQ(lines.size(), 3 * (c.horizontalPerColour + c.verticalPerColour));
    ASSERT_EQ(moves.size(), lines.size());
    const size_t perColour = c.horizontalPerColour + c.verticalPerColour;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t k = i % perColour;
        if (k < c.horizontalPerColour) {
            const long long y = c.rect.top + 4 * static_cast<long long>(k);
            EXPECT_EQ(moves[i].args, (std::vector<long long>{c.rect.left, y}));
            EXPECT_EQ(lines[i].args, (std::vector<long long>{c.rect.right, y}));
        } else {
            const long long x = c.rect.left + 4 * static_cast<long long>(k - c.horizontalPerColour);
            EXPECT_EQ(moves[i].args, (std::vector<long long>{x, c.rect.top}));
            EXPECT_EQ(lines[i].args, (std::vector<long long>{x, c.rect.bottom}));
        }
    }
    EXPECT_EQ(timingHistory.count, 1u);
    EXPECT_EQ(LastTextAt(200, 4), L"1.000000 msec    ");
}

INSTANTIATE_TEST_SUITE_P(
    Rects, DegenerateRectTest,
    ::testing::Values(DegenerateCase{{4, 84, 396, 46}, 0, 98},     // a 400 x 50 client area
                      DegenerateCase{{4, 84, -4, -4}, 0, 0},       // a 0 x 0 client area
                      DegenerateCase{{4, 84, 7, 85}, 1, 1},        // one pixel tall, 3 wide
                      DegenerateCase{{4, 84, 906, 691}, 152, 226}, // not multiples of 4
                      DegenerateCase{
                          {4, 84, 4, 684}, 150, 0}), // zero wide: horizontals of no length
    [](const ::testing::TestParamInfo<DegenerateCase>& info) {
        const RECT& r = info.param.rect;
        std::string name = "To" + std::to_string(r.right) + "x" + std::to_string(r.bottom);
        std::replace(name.begin(), name.end(), '-', 'm');
        return name;
    });

TEST_F(BenchTest, GridLeftOnScreenIsBlueOnTheWindowColourWithEndPointsExcluded)
{
    HWND window = MakeSurfaceWindow(908, 688);
    RunLinePass(window);
    // Grid lines: every fourth row and column from the top-left corner of the area.
    for (int y = 84; y < 684; y += 4) {
        EXPECT_EQ(winport::Pixel(window, 4, y), kBlue);
        EXPECT_EQ(winport::Pixel(window, 903, y), kBlue) << y;
        EXPECT_NE(winport::Pixel(window, 904, y), kBlue) << "end point drawn at " << y;
    }
    for (int x = 4; x < 904; x += 4) {
        EXPECT_EQ(winport::Pixel(window, x, 683), kBlue) << x;
        EXPECT_NE(winport::Pixel(window, x, 684), kBlue) << "end point drawn at " << x;
    }
    // Between the lines the erase shows through.
    EXPECT_EQ(winport::Pixel(window, 5, 85), kWindow);
    EXPECT_EQ(winport::Pixel(window, 903, 683), kWindow);
    EXPECT_EQ(winport::Pixel(window, 450, 381), kWindow);
    // The readout: the caption's ink over the button-face cell.
    EXPECT_EQ(winport::Pixel(window, 4, 4), kButtonFace);
    int ink = 0;
    for (int x = 4; x < 4 + 18 * winport::kCharWidth; ++x) {
        for (int y = 4; y < 4 + winport::kCharHeight; ++y) {
            ink += winport::Pixel(window, x, y) == 0x000000u;
        }
    }
    EXPECT_GT(ink, 100);
}

TEST_F(BenchTest, SurfaceThatCannotBeAcquiredSkipsThePassAndNotTheReset)
{
    HWND window = MakeSurfaceWindow(908, 688);
    timingHistory.Push(7.0);
    winport::FailCall(winport::Api::GetDC, 0, -1);
    winport::EnableTrace(true);
    RunLinePass(window);
    EXPECT_EQ(timingHistory.count, 1u);
    EXPECT_EQ(timingHistory.samples[0], 7.0);
    EXPECT_EQ(winport::Trace().size(), 1u); // the attempt, nothing else
    EXPECT_EQ(winport::PerformanceCounterReadings(), 0);

    ResetStatistics(window);
    EXPECT_EQ(timingHistory.count, 0u);
    EXPECT_TRUE(CallsNamed("FillRect").empty());

    winport::FailCall(winport::Api::GetDC, 0, 0);
    winport::SetPerformanceCounter(0, 25000);
    RunLinePass(window);
    EXPECT_EQ(LastTextAt(200, 4), L"2.500000 msec    ");
}

TEST_F(BenchTest, ResetErasesThePanelAndShowsZeroAtOnce)
{
    HWND window = MakeSurfaceWindow(908, 688);
    winport::SetPerformanceCounter(0, 123456789);
    winport::EnableTrace(true);
    RunLinePass(window);
    EXPECT_EQ(LastTextAt(200, 4), L"12345.678900 msec    ");
    winport::ClearTrace();
    ResetStatistics(window);
    const std::vector<Call>& trace = winport::Trace();
    ASSERT_EQ(trace.size(), 6u);
    EXPECT_EQ(trace[1].name, "FillRect");
    EXPECT_EQ(trace[1].args, (std::vector<long long>{4, 4, 340, 80, COLOR_BTNFACE + 1}));
    EXPECT_EQ(trace[4].text, L"0.000000 msec    ");
    EXPECT_EQ(winport::OpenSurfaces(), 0);
    EXPECT_EQ(winport::Pixel(window, 339, 79), kButtonFace);
}

} // namespace
