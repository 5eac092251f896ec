// Window geometry and the main window procedure, driven message by message.
#include "test_support.h"

namespace
{

using ShellTest = ZolvikTest;

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A main window without the start-up around it: its procedure, class redraw styles and
// background as the program registers them.
HWND MakeMainWindow()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"MainUnderTest";
    RegisterClassExW(&windowClass);
    if (!ComputeWindowSize()) {
        return nullptr;
    }
    mainWindow = CreateWindowExW(0, L"MainUnderTest", L"main", WS_OVERLAPPEDWINDOW, 10, 10,
                                 windowGeometry.windowWidth, windowGeometry.windowHeight, nullptr,
                                 nullptr, nullptr, nullptr);
    return mainWindow;
}

TEST_F(ShellTest, FixedOuterSizeIsTheAdjustedDesignedClientArea)
{
    RECT expected = {0, 0, 908, 688};
    ASSERT_TRUE(AdjustWindowRect(&expected, WS_OVERLAPPEDWINDOW, FALSE));
    ASSERT_TRUE(ComputeWindowSize());
    EXPECT_TRUE(SameRect(windowGeometry.windowRect, expected));
    EXPECT_EQ(windowGeometry.windowWidth, expected.right - expected.left);
    EXPECT_EQ(windowGeometry.windowHeight, expected.bottom - expected.top);
    EXPECT_GT(windowGeometry.windowWidth, 908);
    EXPECT_GT(windowGeometry.windowHeight, 688);
}

TEST_F(ShellTest, FailedAdjustmentIsReported)
{
    winport::FailCall(winport::Api::AdjustWindowRect);
    EXPECT_FALSE(ComputeWindowSize());
}

TEST_F(ShellTest, RelayoutFitsTheDrawingRectangleWithItsMargin)
{
    struct Case {
        int width, height;
        RECT expected;
    };
    const Case cases[] = {
        {908, 688, {4, 84, 904, 684}}, {1000, 700, {4, 84, 996, 696}}, {400, 50, {4, 84, 396, 46}}};
    for (const Case& c : cases) {
        HWND window = MakeSurfaceWindow(c.width, c.height);
        Relayout(window, true);
        EXPECT_TRUE(SameRect(drawRect, c.expected)) << c.width << " x " << c.height;
        EXPECT_TRUE(SameRect(windowGeometry.lastClientRect, RECT{0, 0, c.width, c.height}));
    }
}

TEST_F(ShellTest, RelayoutLeavesAnUnchangedClientAreaAloneUnlessForced)
{
    HWND window = MakeSurfaceWindow(908, 688);
    drawRect = RECT{4, 84, 1, 2}; // a value no fit would produce
    Relayout(window, false);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 1, 2}));
    Relayout(window, true);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));
}

TEST_F(ShellTest, MinimizedClientAreaGivesAnEmptyRectangle)
{
    HWND window = MakeSurfaceWindow(908, 688);
    ShowWindow(window, SW_MINIMIZE);
    Relayout(window, false);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, -4, -4}));
}

TEST_F(ShellTest, CreationPinsTheSizeAndFitsTheRectangle)
{
    HWND window = MakeMainWindow();
    ASSERT_NE(window, nullptr);
    const RECT outer = winport::OuterRect(window);
    EXPECT_EQ(outer.right - outer.left, windowGeometry.windowWidth);
    EXPECT_EQ(outer.bottom - outer.top, windowGeometry.windowHeight);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));

    MINMAXINFO info = {};
    info.ptMaxPosition = POINT{-7, -9};
    EXPECT_EQ(MainWndProc(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    const POINT size = {windowGeometry.windowWidth, windowGeometry.windowHeight};
    for (const POINT& p : {info.ptMaxSize, info.ptMinTrackSize, info.ptMaxTrackSize}) {
        EXPECT_EQ(p.x, size.x);
        EXPECT_EQ(p.y, size.y);
    }
    EXPECT_EQ(info.ptMaxPosition.x, -7);
    EXPECT_EQ(info.ptMaxPosition.y, -9);

    resizeAllowed = true;
    MINMAXINFO untouched = {};
    MainWndProc(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&untouched));
    EXPECT_EQ(untouched.ptMaxTrackSize.x, 0);
}

TEST_F(ShellTest, SizeMessagesRefitOnlyWhileResizingIsAllowed)
{
    HWND window = MakeMainWindow();
    winport::ResizeByUser(window, 1200, 900);
    const RECT pinned = winport::OuterRect(window);
    EXPECT_EQ(pinned.right - pinned.left, windowGeometry.windowWidth);
    EXPECT_EQ(MainWndProc(window, WM_SIZE, SIZE_MINIMIZED, 0), 0);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 904, 684}));

    resizeAllowed = true;
    winport::ResizeByUser(window, 1016, 739); // a 1000 x 700 client area
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 996, 696}));
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, -4, -4}));
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(SameRect(drawRect, RECT{4, 84, 996, 696}));
}

TEST_F(ShellTest, CommandsActOnlyOnAZeroNotificationCode)
{
    HWND window = MakeMainWindow();
    timingHistory.Push(3.0);
    EXPECT_EQ(MainWndProc(window, WM_COMMAND, MAKEWPARAM(IDC_RESET_STATISTICS, 1), 0), 0);
    EXPECT_EQ(MainWndProc(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0), 0);
    EXPECT_EQ(timingHistory.count, 1u);
    // Only the low 32 bits of wParam carry the code and identifier.
    const WPARAM wide = (static_cast<WPARAM>(1) << 32 | IDC_RESET_STATISTICS);
    if (sizeof(WPARAM) > 4) {
        MainWndProc(window, WM_COMMAND, wide, 0);
        EXPECT_EQ(timingHistory.count, 0u);
    }
}

TEST_F(ShellTest, ActivationSavesTheFocusOnlyOnAPlainDeactivation)
{
    HWND window = MakeMainWindow();
    HWND other = MakeSurfaceWindow(100, 100);
    SetFocus(other);
    EXPECT_EQ(MainWndProc(window, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_EQ(MainWndProc(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0), 0);
    EXPECT_EQ(savedFocus, nullptr);
    // WM_SETFOCUS before any deactivation leaves the focus where it was put.
    EXPECT_EQ(MainWndProc(window, WM_SETFOCUS, 0, 0), 0);
    EXPECT_EQ(GetFocus(), other);

    MainWndProc(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(savedFocus, other);
    SetFocus(window); // the platform focuses the window; it hands the focus back
    EXPECT_EQ(GetFocus(), other);
}

TEST_F(ShellTest, EscapeReachingTheProcedureDestroysTheWindow)
{
    HWND window = MakeMainWindow();
    winport::EnableTrace(true);
    EXPECT_EQ(MainWndProc(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_TRUE(winport::IsAlive(window));
    EXPECT_EQ(MainWndProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_FALSE(winport::IsAlive(window));
    ASSERT_EQ(CallsNamed("PostQuitMessage").size(), 1u);
    EXPECT_EQ(CallsNamed("PostQuitMessage")[0].args[0], 0);
}

TEST_F(ShellTest, TimerAndPaintEachRunOnePass)
{
    HWND window = MakeMainWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    EXPECT_EQ(MainWndProc(window, WM_TIMER, 77, 0), 0);
    EXPECT_EQ(timingHistory.count, 1u);
    EXPECT_EQ(MainWndProc(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(timingHistory.count, 2u);
    // The paint validated the window: nothing is left to paint.
    EXPECT_EQ(MainWndProc(window, WM_TIMER, 0, 0), 0);
    EXPECT_EQ(timingHistory.count, 3u);
    EXPECT_EQ(winport::OpenSurfaces(), 0);
}

} // namespace
