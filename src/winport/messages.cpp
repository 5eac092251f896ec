// The message queue, sending to a window's procedure, timers, painting and the message loop
// with its idle steps, through which tests script a user.
#include "winport_internal.h"

#include <algorithm>
#include <deque>

namespace winport
{
namespace
{

struct Queued {
    MSG message;
    bool shift;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    unsigned long long due;
};

std::deque<Queued> queue;
std::vector<Timer> timers;
std::deque<std::function<void()>> idleSteps;
bool shiftDown = false;
bool quitPosted = false;
int quitCode = 0;
bool scriptRanOut = false;
std::function<void(HWND, UINT, WPARAM, LPARAM)> deliveryObserver;

HWND WindowNeedingPaint()
{
    for (auto& window : Windows()) {
        if (window->alive && window->invalid && IsShown(window.get())) {
            const RECT client = ClientRectOf(window.get());
            if (client.right > 0 && client.bottom > 0) {
                return window.get();
            }
        }
    }
    return nullptr;
}

Timer* DueTimer()
{
    for (Timer& timer : timers) {
        if (timer.due <= ClockMs()) {
            return &timer;
        }
    }
    return nullptr;
}

} // namespace

bool ShiftWasDown()
{
    return shiftDown;
}

void QueueMessage(const MSG& message, bool shift)
{
    queue.push_back(Queued{message, shift});
}

void ForgetMessagesOf(HWND window)
{
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [window](const Timer& t) { return t.window == window; }),
                 timers.end());
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window](const Queued& q) { return q.message.hwnd == window; }),
                queue.end());
}

void ResetMessages()
{
    queue.clear();
    timers.clear();
    idleSteps.clear();
    shiftDown = false;
    quitPosted = false;
    quitCode = 0;
    scriptRanOut = false;
    deliveryObserver = nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsLive(window)) {
        return 0;
    }
    if (deliveryObserver) {
        deliveryObserver(window, message, wParam, lParam);
    }
    return window->procedure(window, message, wParam, lParam);
}

void OnDeliver(std::function<void(HWND, UINT, WPARAM, LPARAM)> observer)
{
    deliveryObserver = std::move(observer);
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    QueueMessage(MSG{window, message, wParam, lParam, 0, POINT{0, 0}}, shiftDown);
}

void WhenIdle(std::function<void()> step)
{
    idleSteps.push_back(std::move(step));
}

bool ScriptRanOut()
{
    return scriptRanOut;
}

int TimerCount(HWND window)
{
    return static_cast<int>(std::count_if(timers.begin(), timers.end(),
                                          [window](const Timer& t) { return t.window == window; }));
}

int QueuedMessages()
{
    return static_cast<int>(queue.size());
}

} // namespace winport

using namespace winport;

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC)
{
    Record("SetTimer", {HandleValue(window), static_cast<long long>(id), period});
    if (!IsLive(window) || ShouldFail(Api::SetTimer)) {
        return 0;
    }
    period = std::max(period, 10u);
    for (Timer& timer : timers) {
        if (timer.window == window && timer.id == id) {
            timer.period = period;
            timer.due = ClockMs() + period;
            return id ? id : 1;
        }
    }
    timers.push_back(Timer{window, id, period, ClockMs() + period});
    return id ? id : 1;
}

// Queued messages first, then the quit message, then paints, then timers, as on Windows;
// with nothing to deliver, the script's next idle step runs.
BOOL WINAPI GetMessageW(LPMSG message, HWND, UINT, UINT)
{
    if (ShouldFail(Api::GetMessageW)) {
        return -1;
    }
    for (;;) {
        if (!queue.empty()) {
            *message = queue.front().message;
            shiftDown = queue.front().shift;
            queue.pop_front();
            return TRUE;
        }
        if (quitPosted) {
            quitPosted = false;
            *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, 0, POINT{0, 0}};
            return FALSE;
        }
        if (HWND window = WindowNeedingPaint()) {
            *message = MSG{window, WM_PAINT, 0, 0, 0, POINT{0, 0}};
            return TRUE;
        }
        if (Timer* timer = DueTimer()) {
            timer->due = ClockMs() + timer->period;
            *message = MSG{timer->window, WM_TIMER, timer->id, 0, 0, POINT{0, 0}};
            return TRUE;
        }
        if (idleSteps.empty()) {
            scriptRanOut = true;
            *message = MSG{nullptr, WM_QUIT, 0, 0, 0, POINT{0, 0}};
            return FALSE;
        }
        const std::function<void()> step = std::move(idleSteps.front());
        idleSteps.pop_front();
        step();
    }
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    return message && message->message == WM_KEYDOWN;
}

LRESULT WINAPI DispatchMessageW(const MSG* message)
{
    return message ? Send(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

void WINAPI PostQuitMessage(int exitCode)
{
    Record("PostQuitMessage", {exitCode});
    quitPosted = true;
    quitCode = exitCode;
}

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!IsLive(window) || !paint) {
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    paint->hdc = &window->surface;
    paint->rcPaint = ClientRectOf(window);
    const bool erase = window->erase;
    window->invalid = false;
    window->erase = false;
    if (erase) {
        paint->fErase = !Send(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
    }
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT*)
{
    return IsLive(window);
}

BOOL WINAPI UpdateWindow(HWND window)
{
    if (!IsLive(window)) {
        return FALSE;
    }
    const RECT client = ClientRectOf(window);
    if (window->invalid && IsShown(window) && client.right > 0 && client.bottom > 0) {
        Send(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}
