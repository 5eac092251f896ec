// The whole program through wWinMain, from start to exit code, with a scripted user.
#include "test_support.h"

#include <algorithm>
#include <string>

namespace
{

using winport::WhenIdle;

class ProgramTest : public ZolvikTest
{
  protected:
    int Run(int showCommand = SW_SHOWNORMAL)
    {
        const int code = wWinMain(nullptr, nullptr, nullptr, showCommand);
        EXPECT_FALSE(winport::ScriptRanOut()) << "the program was still running at the end";
        return code;
    }
    static HWND ResetButton() { return winport::ChildById(mainWindow, IDC_RESET_STATISTICS); }
    static HWND ResizeBox() { return winport::ChildById(mainWindow, IDC_ALLOW_RESIZING); }
    static void Tick() { winport::AdvanceClock(500); }
    static void PressEscape() { winport::PressKey(VK_ESCAPE); }
    static size_t IndexOf(const char* name)
    {
        const std::vector<winport::Call>& trace = winport::Trace();
        for (size_t i = 0; i < trace.size(); ++i) {
            if (trace[i].name == name) {
                return i;
            }
        }
        return trace.size();
    }
};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(ProgramTest, StartsWithItsWindowAndControlsThenPassesOnPaintAndEveryTick)
{
    winport::EnableTrace(true);
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 1u); // the first pass, from UpdateWindow
        EXPECT_EQ(winport::ClassName(mainWindow), L"ZolvikWindowClass");
        EXPECT_EQ(winport::WindowText(mainWindow),
                  L"Zolvik (specifically for demonstration of RADEON drivers 2D bug) v. 1.3.0.0");
        EXPECT_EQ(winport::Style(mainWindow), 0x00CF0000u | WS_VISIBLE);
        const RECT outer = winport::OuterRect(mainWindow);
        EXPECT_TRUE(SameRect(outer, RECT{10, 10, 10 + windowGeometry.windowWidth,
                                         10 + windowGeometry.windowHeight}));
        RECT client;
        GetClientRect(mainWindow, &client);
        EXPECT_TRUE(SameRect(client, RECT{0, 0, 908, 688}));

        EXPECT_EQ(winport::WindowText(ResetButton()), L"Reset statistics");
        EXPECT_EQ(winport::Style(ResetButton()), 0x50010F00u);
        EXPECT_TRUE(SameRect(winport::OuterRect(ResetButton()), RECT{350, 6, 470, 32}));
        EXPECT_EQ(winport::WindowText(ResizeBox()), L"Allow window resizing");
        EXPECT_EQ(winport::Style(ResizeBox()), 0x50010003u);
        EXPECT_TRUE(SameRect(winport::OuterRect(ResizeBox()), RECT{600, 4, 780, 26}));
        EXPECT_EQ(IsDlgButtonChecked(mainWindow, IDC_ALLOW_RESIZING), BST_UNCHECKED);
        EXPECT_EQ(winport::TimerCount(mainWindow), 1);
        // The button face around the drawing area, the blue grid inside it.
        EXPECT_EQ(winport::Pixel(mainWindow, 2, 500), 0xF0F0F0u);
        EXPECT_EQ(winport::Pixel(mainWindow, 906, 686), 0xF0F0F0u);
        EXPECT_EQ(winport::Pixel(mainWindow, 900, 680), 0xFF0000u);
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 2u);
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 3u);
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(winport::IsAlive(mainWindow));

    const std::vector<winport::Call> timers = CallsNamed("SetTimer");
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].args[1], 0);
    EXPECT_EQ(timers[0].args[2], 500);
    EXPECT_LT(IndexOf("ShowWindow"), IndexOf("LineTo"));
    EXPECT_LT(IndexOf("LineTo"), IndexOf("SetTimer"));
    const std::vector<winport::Call> created = CallsNamed("CreateWindowExW");
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created[1].args[5], IDC_RESET_STATISTICS);
    EXPECT_EQ(created[2].args[5], IDC_ALLOW_RESIZING);
}

TEST_F(ProgramTest, ResetShowsZeroAtOnceAndTheNextPassAlone)
{
    winport::EnableTrace(true);
    winport::SetPerformanceCounter(0, 10000); // passes of 1 ms
    WhenIdle([] { Tick(); });
    WhenIdle([] {
        EXPECT_EQ(LastTextAt(200, 4), L"1.000000 msec    ");
        winport::ClickButton(ResetButton());
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 0u);
        EXPECT_EQ(LastTextAt(200, 4), L"0.000000 msec    ");
        winport::SetPerformanceCounter(0, 30000); // the next pass takes 3 ms
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 1u);
        EXPECT_EQ(LastTextAt(200, 4), L"3.000000 msec    ");
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
}

TEST_F(ProgramTest, TabMovesBetweenTheControlsAndEscapeClosesFromEither)
{
    for (int presses = 1; presses <= 2; ++presses) {
        SetUp();
        WhenIdle([presses] {
            EXPECT_EQ(GetFocus(), mainWindow);
            for (int i = 0; i < presses; ++i) {
                winport::PressKey(VK_TAB);
            }
        });
        WhenIdle([presses] {
            EXPECT_EQ(GetFocus(), presses == 1 ? ResetButton() : ResizeBox());
            winport::PressKey(VK_TAB, true);
        });
        WhenIdle([presses] {
            EXPECT_EQ(GetFocus(), presses == 1 ? ResizeBox() : ResetButton());
            PressEscape();
        });
        EXPECT_EQ(Run(), 0) << presses;
        EXPECT_FALSE(winport::IsAlive(mainWindow));
    }
}

TEST_F(ProgramTest, EscapeSentStraightToTheWindowAndTheCloseBoxBothEndWithZero)
{
    WhenIdle([] { winport::Send(mainWindow, WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(winport::IsAlive(mainWindow));

    SetUp();
    WhenIdle([] { winport::ClickCloseBox(mainWindow); });
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(winport::IsAlive(mainWindow));
    EXPECT_EQ(winport::TimerCount(mainWindow), 0);
}

TEST_F(ProgramTest, UncheckingTheBoxSnapsTheEnlargedWindowBackInPlace)
{
    winport::EnableTrace(true);
    WhenIdle([] { winport::ClickButton(ResizeBox()); });
    WhenIdle([] {
        EXPECT_TRUE(resizeAllowed);
        winport::ResizeByUser(mainWindow, 1216, 939); // a 1200 x 900 client area
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 1196, 896}));
    });
    WhenIdle([] {
        // The size change repainted the whole window: the grid fills the larger area.
        EXPECT_EQ(winport::Pixel(mainWindow, 1192, 892), 0xFF0000u);
        winport::ClickButton(ResizeBox());
    });
    WhenIdle([] {
        EXPECT_FALSE(resizeAllowed);
        const RECT outer = winport::OuterRect(mainWindow);
        EXPECT_TRUE(SameRect(outer, RECT{10, 10, 10 + windowGeometry.windowWidth,
                                         10 + windowGeometry.windowHeight}));
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));
        EXPECT_TRUE(SameRect(windowGeometry.lastClientRect, RECT{0, 0, 908, 688}));
        // Pinned again: a drag does nothing.
        winport::ResizeByUser(mainWindow, 1216, 939);
        EXPECT_TRUE(SameRect(winport::OuterRect(mainWindow), outer));
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
    const std::vector<winport::Call> moves = CallsNamed("SetWindowPos");
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].args[1], 0);
    EXPECT_EQ(moves[0].args[4], windowGeometry.windowWidth);
    EXPECT_EQ(moves[0].args[5], windowGeometry.windowHeight);
    EXPECT_EQ(moves[0].args[6], 0x316);
}

TEST_F(ProgramTest, PinnedWindowKeepsItsSizeWhenMaximizedOrSentASize)
{
    WhenIdle([] { winport::Post(mainWindow, WM_SYSCOMMAND, SC_MAXIMIZE, 0); });
    WhenIdle([] {
        const RECT outer = winport::OuterRect(mainWindow);
        EXPECT_EQ(outer.right - outer.left, windowGeometry.windowWidth);
        EXPECT_EQ(outer.bottom - outer.top, windowGeometry.windowHeight);
        winport::Send(mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 300));
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
}

TEST_F(ProgramTest, FocusIsGivenBackToTheControlAfterDeactivation)
{
    WhenIdle([] {
        winport::PressKey(VK_TAB);
        winport::PressKey(VK_TAB);
    });
    WhenIdle([] {
        ASSERT_EQ(GetFocus(), ResizeBox());
        winport::Deactivate(mainWindow);
        EXPECT_EQ(GetFocus(), nullptr);
        EXPECT_EQ(savedFocus, ResizeBox());
        winport::Activate(mainWindow);
        EXPECT_EQ(GetFocus(), ResizeBox());
        // Minimizing deactivates with the minimized flag: the saved focus stays.
        ShowWindow(mainWindow, SW_MINIMIZE);
        EXPECT_EQ(savedFocus, ResizeBox());
        ShowWindow(mainWindow, SW_RESTORE);
        EXPECT_EQ(GetFocus(), ResizeBox());
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
}

TEST_F(ProgramTest, StartedMinimizedItStillRunsPassesOnTheTimer)
{
    WhenIdle([] {
        EXPECT_TRUE(winport::IsMinimized(mainWindow));
        EXPECT_EQ(timingHistory.count, 0u); // nothing to paint while minimized
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 1u);
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 2u);
        winport::Post(mainWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
    });
    WhenIdle([] {
        EXPECT_EQ(timingHistory.count, 3u); // the restore repainted
        EXPECT_EQ(winport::Pixel(mainWindow, 4, 84), 0xFF0000u);
        winport::Send(mainWindow, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(Run(SW_SHOWMINNOACTIVE), 0);
}

TEST_F(ProgramTest, MinimizedWhileResizingIsAllowedDrawsNoLines)
{
    winport::EnableTrace(true);
    WhenIdle([] { winport::ClickButton(ResizeBox()); });
    WhenIdle([] {
        ShowWindow(mainWindow, SW_MINIMIZE);
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, -4, -4}));
        winport::ClearTrace();
        Tick();
    });
    WhenIdle([] {
        EXPECT_EQ(CallsNamed("LineTo").size(), 0u);
        EXPECT_EQ(CallsNamed("TextOutW").size(), 2u); // the sample is still shown
        ShowWindow(mainWindow, SW_RESTORE);
        EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));
        PressEscape();
    });
    EXPECT_EQ(Run(), 0);
}

TEST_F(ProgramTest, EveryStartUpFailureEndsSilentlyWithZero)
{
    struct Case {
        winport::Api api;
        int skip;
        bool windowShown;
    };
    const Case cases[] = {{winport::Api::AdjustWindowRect, 0, false},
                          {winport::Api::CreateWindowExW, 0, false}, // the main window
                          {winport::Api::CreateWindowExW, 1, false}, // the button
                          {winport::Api::CreateWindowExW, 2, false}, // the check box
                          {winport::Api::SetTimer, 0, true}};
    for (const Case& c : cases) {
        SetUp();
        winport::FailCall(c.api, c.skip);
        EXPECT_EQ(wWinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL), 0);
        EXPECT_FALSE(winport::ScriptRanOut()) << "entered the loop";
        EXPECT_EQ(winport::IsVisible(mainWindow), c.windowShown);
        EXPECT_EQ(timingHistory.count, c.windowShown ? 1u : 0u);
    }
}

TEST_F(ProgramTest, FailedRetrievalEndsWithOne)
{
    winport::FailWhen(winport::Api::GetMessageW, [] { return timingHistory.count >= 2; });
    WhenIdle([] { Tick(); });
    EXPECT_EQ(wWinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL), 1);
    EXPECT_EQ(timingHistory.count, 2u); // the paint and the one tick retrieved before
}

} // namespace
