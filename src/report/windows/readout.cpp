#include "windows/readout.h"
#include "windows/window_view.h"
#include "zolvik_facts.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace
{

// Wide enough for a mean of a few seconds and its unit; the rest of the panel is not read.
constexpr int kCaptureWidth = 240;

const ReadoutGlyphs& TheGlyphs()
{
    static ReadoutGlyphs glyphs;
    if (glyphs.value.empty()) {
        for (const wchar_t* c = kReadoutChars; *c; ++c) {
            glyphs.value.push_back(RenderText(std::wstring(1, *c)));
        }
        glyphs.unit = RenderText(L" msec");
    }
    return glyphs;
}

Reading Decode(const Pixels& strip)
{
    return DecodeReadout(strip, TheGlyphs(), RenderText);
}

} // namespace

// The glyphs are rendered, and the readout read, in the window's own DPI context, so both
// are the unscaled pixels the program drew, on any display scale.
bool OpenCamera(ReadoutCamera& camera, HWND window)
{
    const DpiScope scope(window);
    camera.window = window;
    camera.screen = GetDC(nullptr);
    if (!camera.screen ||
        !OpenGrabber(camera.grabber, camera.screen, kCaptureWidth, TheGlyphs().unit.height)) {
        CloseCamera(camera);
        return false;
    }
    return true;
}

void CloseCamera(ReadoutCamera& camera)
{
    CloseGrabber(camera.grabber);
    if (camera.screen) {
        ReleaseDC(nullptr, camera.screen);
    }
    camera.screen = nullptr;
}

// From the window's own DC: where the desktop is composed it holds the window's pixels even
// under other windows; elsewhere it shows what the screen shows there.
Reading ReadReadout(ReadoutCamera& camera)
{
    const DpiScope scope(camera.window);
    RECT client;
    if (!GetClientRect(camera.window, &client) || client.right <= kReadoutLeft) {
        return Reading();
    }
    const int width = std::min(kCaptureWidth, static_cast<int>(client.right) - kReadoutLeft);
    HDC source = GetDC(camera.window);
    const bool grabbed = source && Grab(camera.grabber, source, kReadoutLeft, kReadoutTop, width,
                                        camera.grabber.height, camera.current);
    if (source) {
        ReleaseDC(camera.window, source);
    }
    if (!grabbed) {
        return Reading();
    }
    if (camera.current.width != camera.last.width || camera.current.data != camera.last.data) {
        std::swap(camera.last, camera.current);
        camera.lastReading = Decode(camera.last);
    }
    return camera.lastReading;
}
