#include "shell.h"

#include "../bench/bench.h"

namespace
{

constexpr RECT kDesignedClient = {0, 0, kDesignedAreaWidth + kAreaLeft + kAreaMargin,
                                  kDesignedAreaHeight + kAreaTop + kAreaMargin};

} // namespace

WindowGeometry windowGeometry = {kDesignedClient, 0, 0, kDesignedClient};

bool ComputeWindowSize()
{
    RECT& rect = windowGeometry.windowRect;
    if (!AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE)) {
        return false;
    }
    windowGeometry.windowWidth = rect.right - rect.left;
    windowGeometry.windowHeight = rect.bottom - rect.top;
    return true;
}

// Nothing is invalidated here: a size change already repaints the whole window through the
// class's redraw styles, and the next pass draws into the new rectangle.
void Relayout(HWND window, bool force)
{
    RECT client;
    GetClientRect(window, &client);
    const RECT& last = windowGeometry.lastClientRect;
    if (!force && client.left == last.left && client.top == last.top &&
        client.right == last.right && client.bottom == last.bottom) {
        return;
    }
    windowGeometry.lastClientRect = client;
    drawRect = DrawingRectOf(client);
}
