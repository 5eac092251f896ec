#include "message_fuzz.h"

#include "bench/bench.h"
#include "program_state.h"
#include "shell/shell.h"
#include "winport_control.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{

constexpr long long kFrequency = 10000000;

// Reads the fuzz input as a stream of choices; an exhausted stream reads as zeros.
class Choices
{
  public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Exhausted() const { return at_ >= size_; }
    std::uint32_t Take(std::uint32_t bound)
    {
        std::uint32_t value = 0;
        for (std::uint32_t span = 1; span < bound && span != 0; span <<= 8) {
            value = (value << 8) | (at_ < size_ ? data_[at_] : 0);
            ++at_;
        }
        return bound ? value % bound : value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// What the program must show, built from the messages it was given: a reset command empties
// the history; a timer tick or a paint adds one pass of the current duration unless its
// surface could not be acquired.
struct Model {
    enum class Surface { None, Pass, Reset };
    std::vector<double> passes;
    Surface nextSurface = Surface::None;
    double passMs = 0;
    unsigned failPercent = 0;
    std::uint32_t noise = 2463534242u;
    bool toggled = false;  // the resize box's command arrived since the last check
    bool wasPinned = true; // resizing was not allowed at the last check
    RECT pinnedRect = {4, 84, 904, 684};
};

struct Fuzz {
    explicit Fuzz(const std::uint8_t* data, std::size_t size) : choices(data, size) {}
    Choices choices;
    Model model;
    std::string failure;
};

bool Fail(Fuzz& fuzz, const std::string& what)
{
    if (fuzz.failure.empty()) {
        fuzz.failure = what + " (after " + std::to_string(fuzz.model.passes.size()) +
                       " passes since the last reset)";
    }
    return false;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool CheckInvariants(Fuzz& fuzz)
{
    if (!winport::IsAlive(mainWindow)) {
        return Fail(fuzz, "the main window is gone before Escape");
    }
    const RECT& last = windowGeometry.lastClientRect;
    if (drawRect.left != 4 || drawRect.top != 84 || drawRect.right != last.right - 4 ||
        drawRect.bottom != last.bottom - 4) {
        return Fail(fuzz, "drawRect is not the last fitted client area less the margins");
    }
    RECT client;
    GetClientRect(mainWindow, &client);
    if (resizeAllowed && !SameRect(client, last)) {
        return Fail(fuzz, "resizing is allowed but drawRect does not follow the client area");
    }
    const RECT outer = winport::OuterRect(mainWindow);
    if (!resizeAllowed && (outer.right - outer.left != windowGeometry.windowWidth ||
                           outer.bottom - outer.top != windowGeometry.windowHeight)) {
        return Fail(fuzz, "the window left its fixed outer size while pinned");
    }
    Model& model = fuzz.model;
    if (!resizeAllowed && model.wasPinned && !model.toggled &&
        !SameRect(drawRect, model.pinnedRect)) {
        return Fail(fuzz, "drawRect moved while pinned without a toggle of the box");
    }
    model.wasPinned = !resizeAllowed;
    model.toggled = false;
    model.pinnedRect = drawRect;
    if (timingHistory.count > 8 || timingHistory.first < 0 || timingHistory.first > 7) {
        return Fail(fuzz, "the history's count or first slot is out of range");
    }
    const std::vector<double>& passes = fuzz.model.passes;
    const std::size_t kept = passes.size() < 8 ? passes.size() : 8;
    double sum = 0.0;
    for (std::size_t i = passes.size() - kept; i < passes.size(); ++i) {
        sum += passes[i];
    }
    const double expected = kept ? sum / static_cast<double>(kept) : 0.0;
    if (timingHistory.count != kept ||
        std::fabs(timingHistory.Average() - expected) > 1e-9 * (1.0 + std::fabs(expected))) {
        return Fail(fuzz, "the mean " + std::to_string(timingHistory.Average()) +
                              " is not the mean of the last passes, " + std::to_string(expected));
    }
    if (winport::OpenSurfaces() != 0) {
        return Fail(fuzz, "a surface was not released");
    }
    return true;
}

void ObserveDelivery(Fuzz& fuzz, HWND window, UINT message, WPARAM wParam)
{
    if (window != mainWindow || !mainWindow) {
        return;
    }
    if (message == WM_TIMER || message == WM_PAINT) {
        fuzz.model.nextSurface = Model::Surface::Pass;
    } else if (message == WM_COMMAND && HIWORD(wParam) == 0 &&
               LOWORD(wParam) == IDC_RESET_STATISTICS) {
        fuzz.model.passes.clear();
        fuzz.model.nextSurface = Model::Surface::Reset;
    } else if (message == WM_COMMAND && HIWORD(wParam) == 0 &&
               LOWORD(wParam) == IDC_ALLOW_RESIZING) {
        fuzz.model.toggled = true;
    }
}

bool DecideGetDC(Model& model)
{
    model.noise ^= model.noise << 13;
    model.noise ^= model.noise >> 17;
    model.noise ^= model.noise << 5;
    const bool fail = model.noise % 100 < model.failPercent;
    if (model.nextSurface == Model::Surface::Pass && !fail) {
        model.passes.push_back(model.passMs);
    }
    model.nextSurface = Model::Surface::None;
    return fail;
}

WPARAM AnyWParam(Choices& c)
{
    switch (c.Take(4)) {
    case 0:
        return MAKEWPARAM(c.Take(16), c.Take(4));
    case 1:
        return MAKEWPARAM(c.Take(65536), c.Take(65536));
    case 2:
        return static_cast<WPARAM>(c.Take(0xFFFFFFFFu)) << 32 | c.Take(0xFFFFFFFFu);
    default:
        return c.Take(3);
    }
}

// A message the window procedure handles, with arbitrary parameters. Escape, destruction
// and creation are left to the end of the sequence; a WM_GETMINMAXINFO carries a record.
void SendHandledMessage(Fuzz& fuzz, bool throughLoop)
{
    Choices& c = fuzz.choices;
    static const UINT kMessages[] = {WM_SIZE,    WM_ACTIVATE, WM_SETFOCUS,      WM_PAINT,
                                     WM_KEYDOWN, WM_COMMAND,  WM_GETMINMAXINFO, WM_TIMER};
    const UINT message = kMessages[c.Take(sizeof kMessages / sizeof kMessages[0])];
    WPARAM wParam = AnyWParam(c);
    LPARAM lParam = static_cast<LPARAM>(c.Take(0xFFFFFFFFu));
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        wParam = VK_SPACE;
    }
    if (message == WM_COMMAND && c.Take(2)) {
        wParam = MAKEWPARAM(c.Take(2) ? IDC_RESET_STATISTICS : IDC_ALLOW_RESIZING, c.Take(2));
    }
    MINMAXINFO info = {};
    if (message == WM_GETMINMAXINFO) {
        info.ptMaxSize = POINT{static_cast<LONG>(c.Take(5000)), static_cast<LONG>(c.Take(5000))};
        lParam = reinterpret_cast<LPARAM>(&info);
        throughLoop = false; // the record lives on this stack frame
    }
    if (throughLoop) {
        winport::Post(mainWindow, message, wParam, lParam);
    } else {
        winport::Send(mainWindow, message, wParam, lParam);
        CheckInvariants(fuzz);
    }
}

void PerformAction(Fuzz& fuzz)
{
    Choices& c = fuzz.choices;
    const long long step = 1 + c.Take(2000000);
    fuzz.model.passMs = static_cast<double>(step) * 1000.0 / static_cast<double>(kFrequency);
    winport::SetPerformanceCounter(c.Take(1000000), step);
    static const WPARAM kKeys[] = {VK_TAB, VK_SPACE, VK_RETURN, 'A', VK_SHIFT, 0x70 /* F1 */};
    switch (c.Take(14)) {
    case 0:
    case 1:
        winport::AdvanceClock(c.Take(1500));
        break;
    case 2:
        winport::Invalidate(mainWindow);
        break;
    case 3:
        winport::ClickButton(winport::ChildById(mainWindow, IDC_RESET_STATISTICS));
        break;
    case 4:
        winport::ClickButton(winport::ChildById(mainWindow, IDC_ALLOW_RESIZING));
        break;
    case 5:
        winport::PressKey(kKeys[c.Take(sizeof kKeys / sizeof kKeys[0])], c.Take(2) != 0);
        break;
    case 6:
        winport::ResizeByUser(mainWindow, static_cast<int>(c.Take(100000)),
                              static_cast<int>(c.Take(100000)));
        break;
    case 7: {
        static const WPARAM kCommands[] = {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE};
        winport::Post(mainWindow, WM_SYSCOMMAND, kCommands[c.Take(3)], 0);
        break;
    }
    case 8:
        if (c.Take(2)) {
            winport::Activate(mainWindow);
        } else {
            winport::Deactivate(mainWindow);
        }
        break;
    case 9:
    case 10:
        SendHandledMessage(fuzz, c.Take(2) != 0);
        break;
    case 11: {
        // Messages nobody handles: the application range and registered-message range.
        const UINT message = c.Take(2) ? WM_USER + c.Take(0x7C00) : 0xC000 + c.Take(0x4000);
        winport::Post(mainWindow, message, AnyWParam(c), static_cast<LPARAM>(c.Take(0xFFFFFFFFu)));
        break;
    }
    case 12:
        fuzz.model.failPercent = c.Take(4) == 0 ? c.Take(101) : 0;
        break;
    default:
        winport::Post(mainWindow, WM_SIZE, SIZE_RESTORED, static_cast<LPARAM>(c.Take(0xFFFFFFFFu)));
        break;
    }
}

void NextStep(Fuzz& fuzz, std::size_t actionsLeft)
{
    winport::WhenIdle([&fuzz, actionsLeft] {
        const bool fine = CheckInvariants(fuzz);
        if (!fine || actionsLeft == 0 || fuzz.choices.Exhausted()) {
            // End as a user would: Escape through the loop, or one reaching the procedure.
            winport::Activate(mainWindow);
            if (fuzz.choices.Take(2)) {
                winport::PressKey(VK_ESCAPE);
            } else {
                winport::Send(mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            }
            return;
        }
        PerformAction(fuzz);
        NextStep(fuzz, actionsLeft - 1);
    });
}

} // namespace

std::string RunMessageFuzz(const std::uint8_t* data, std::size_t size)
{
    ResetProgram();
    Fuzz fuzz(data, size);
    // The invariants concern state, not pixels; drawing them would take nearly all the time.
    winport::KeepPixels(false);
    winport::SetPerformanceFrequency(kFrequency);
    winport::OnDeliver([&fuzz](HWND window, UINT message, WPARAM wParam, LPARAM) {
        ObserveDelivery(fuzz, window, message, wParam);
    });
    winport::FailWhen(winport::Api::GetDC, [&fuzz] { return DecideGetDC(fuzz.model); });
    NextStep(fuzz, 5000);
    const int code = wWinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
    std::string failure = fuzz.failure;
    if (failure.empty() && winport::ScriptRanOut()) {
        failure = "the program did not end on Escape";
    }
    if (failure.empty() && code != 0) {
        failure = "exit code " + std::to_string(code);
    }
    if (failure.empty() && winport::IsAlive(mainWindow)) {
        failure = "the window outlived the program";
    }
    ResetProgram();
    return failure;
}
