#include "windows/readout.h"
#include "windows/window_view.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace
{

constexpr int kValueX = 200;
constexpr int kValueY = 4;
const wchar_t kValueChars[] = L"0123456789.";
const wchar_t kUnitText[] = L" msec    ";
// Wide enough for a mean of a few seconds and its unit; the rest of the panel is not read.
constexpr int kCaptureWidth = 240;

bool Matches(const Pixels& screen, int x, const Pixels& glyph)
{
    if (glyph.width == 0 || x + glyph.width > screen.width || glyph.height > screen.height) {
        return false;
    }
    for (int row = 0; row < glyph.height; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
            if (screen.At(x + column, row) != glyph.At(column, row)) {
                return false;
            }
        }
    }
    return true;
}

struct Glyphs {
    Pixels value[sizeof(kValueChars) / sizeof(wchar_t) - 1];
    Pixels unit;
};

const Glyphs& TheGlyphs()
{
    static Glyphs glyphs;
    static bool rendered = false;
    if (!rendered) {
        for (size_t i = 0; i + 1 < sizeof(kValueChars) / sizeof(wchar_t); ++i) {
            glyphs.value[i] = RenderText(std::wstring(1, kValueChars[i]));
        }
        glyphs.unit = RenderText(L" msec");
        rendered = true;
    }
    return glyphs;
}

// Glyph by glyph from x, backtracking where two glyphs fit, until the unit text follows.
bool DecodeFrom(const Pixels& screen, int x, std::wstring& text)
{
    const Glyphs& glyphs = TheGlyphs();
    if (!text.empty() && Matches(screen, x, glyphs.unit)) {
        return true;
    }
    if (text.size() > 24) {
        return false;
    }
    for (size_t i = 0; i + 1 < sizeof(kValueChars) / sizeof(wchar_t); ++i) {
        if (Matches(screen, x, glyphs.value[i])) {
            text.push_back(kValueChars[i]);
            if (DecodeFrom(screen, x + glyphs.value[i].width, text)) {
                return true;
            }
            text.pop_back();
        }
    }
    return false;
}

// What the program formats with "%.6f": digits, a point, six digits.
bool WellFormed(const std::wstring& text)
{
    const size_t point = text.find(L'.');
    return point != std::wstring::npos && point > 0 && text.size() - point == 7 &&
           text.find(L'.', point + 1) == std::wstring::npos;
}

// Glyphs are matched one by one; the whole readout, drawn at once, must match too, since
// glyphs drawn singly could in principle differ from the string.
Reading Decode(const Pixels& screen)
{
    Reading reading;
    if (!DecodeFrom(screen, 0, reading.text) || !WellFormed(reading.text) ||
        !Matches(screen, 0, RenderText(reading.text + kUnitText))) {
        return Reading();
    }
    reading.decoded = true;
    reading.mean = std::wcstod(reading.text.c_str(), nullptr);
    return reading;
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
    if (!GetClientRect(camera.window, &client) || client.right <= kValueX) {
        return Reading();
    }
    const int width = std::min(kCaptureWidth, static_cast<int>(client.right) - kValueX);
    HDC source = GetDC(camera.window);
    const bool grabbed = source && Grab(camera.grabber, source, kValueX, kValueY, width,
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
