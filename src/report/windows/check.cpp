// What a person runs before recording, and what a Windows user sends back: the window found,
// the display's scale and both programs' DPI awareness, how the readout is read, the value
// read now, and whether anything stands in the way.
#include "windows/check.h"
#include "zolvik_facts.h"

#include "exit_codes.h"
#include "sampling/sampling.h"
#include "windows/readout.h"
#include "windows/window_view.h"

#include <cstdio>

namespace
{

void Line(bool good, const char* what, const char* detail)
{
    std::printf("[%s] %s: %s\n", good ? " ok " : "FIX", what, detail);
}

} // namespace

int CheckSetup(HWND window)
{
    char text[256];
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::snprintf(text, sizeof text, "one window of class ZolvikWindowClass, process %lu",
                  static_cast<unsigned long>(process));
    Line(true, "Zolvik", text);
    const int dpi = DisplayDpi(window);
    std::snprintf(text, sizeof text,
                  "%d DPI (%d %%); Zolvik is %s of scaling, zolvik-report reads it in Zolvik's "
                  "own context (%s by itself)",
                  dpi, dpi * 100 / 96, DescribeDpiAwareness(window), DescribeDpiAwareness(nullptr));
    Line(true, "display", text);
    Line(true, "capture",
         KeepsCoveredPixels()
             ? "the window's own pixels from the compositor: windows over it do not matter"
             : "the screen's pixels where the window is (no compositor): a window over the "
               "readout is moved away by bringing Zolvik to the top");
    const Sight sight = SightOf(window);
    if (sight == Sight::Covered) {
        Line(false, "window", DescribeSight(sight));
        return kExitUndecodable;
    }
    Line(sight == Sight::Readable, "window",
         sight == Sight::Readable
             ? "shown, not minimized, its drawing area wholly on the screen, nothing over the "
               "readout"
             : DescribeSight(sight));
    if (sight != Sight::Readable) {
        return kExitUndecodable;
    }
    ReadoutCamera camera;
    if (!OpenCamera(camera, window)) {
        Line(false, "readout", "the screen cannot be read");
        return kExitUndecodable;
    }
    Sleep(60);
    const Reading reading = ReadReadout(camera);
    CloseCamera(camera);
    if (!reading.decoded) {
        std::snprintf(text, sizeof text,
                      "cannot be decoded at (%d, %d): if the display is scaled and this "
                      "persists, send this output with a screenshot of the window",
                      kReadoutLeft, kReadoutTop);
        Line(false, "readout", text);
        return kExitUndecodable;
    }
    std::snprintf(text, sizeof text, "%ls ms, read exactly", reading.text.c_str());
    Line(true, "readout", text);
    std::printf("ready: a run would work here\n");
    return kExitOk;
}
