// Inspects and drives a running Zolvik from outside its process, as a person at the screen
// would see it: window, controls, pixels on the screen, text, focus and the file's resources.
// Usage: zolvik_probe CHECK [path of Zolvik.exe]. Prints PASS or FAIL lines; exit code 0 when
// every assertion held.
#include "probe.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace probe
{

int failures = 0;

void Expect(bool condition, const char* what, long long got, long long wanted)
{
    if (!condition) {
        ++failures;
        std::printf("  FAILED: %s (got %lld = 0x%llx, wanted %lld = 0x%llx)\n", what, got,
                    static_cast<unsigned long long>(got), wanted,
                    static_cast<unsigned long long>(wanted));
    }
}

void ExpectEqual(long long got, long long wanted, const char* what)
{
    Expect(got == wanted, what, got, wanted);
}

void ExpectText(const std::wstring& got, const std::wstring& wanted, const char* what)
{
    if (got != wanted) {
        ++failures;
        std::printf("  FAILED: %s: got \"%ls\", wanted \"%ls\"\n", what, got.c_str(),
                    wanted.c_str());
    }
}

} // namespace probe

using namespace probe;

namespace
{

HWND FindMainWindow()
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (HWND window = FindWindowW(kClassName, nullptr)) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::printf("usage: zolvik_probe CHECK [Zolvik.exe]\n");
        return 2;
    }
    const std::wstring check = argv[1];
    if (check == L"impostor") {
        return RunImpostor();
    }
    if (check == L"resources") {
        CheckResources(argc > 2 ? argv[2] : L"Zolvik.exe");
    } else {
        HWND main = FindMainWindow();
        if (!main) {
            std::printf("FAIL %ls: no window of class ZolvikWindowClass\n", check.c_str());
            return 1;
        }
        if (check == L"wait") {
            return 0;
        } else if (check == L"window") {
            CheckWindow(main);
        } else if (check == L"controls") {
            CheckControls(main);
        } else if (check == L"grid") {
            CheckGrid(main);
        } else if (check == L"caption") {
            CheckCaption(main);
        } else if (check == L"reset") {
            CheckReset(main);
        } else if (check == L"resizing") {
            CheckResizing(main);
        } else if (check == L"tab") {
            CheckTab(main);
        } else if (check == L"area" && argc > 3) {
            SetDrawingArea(main, _wtoi(argv[2]), _wtoi(argv[3]));
        } else if (check == L"designed") {
            RestoreDesignedSize(main);
        } else if (check == L"sidebyside" && argc > 4) {
            MeasureSideBySide(main, _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]));
        } else if (check == L"desktop" && argc > 2) {
            DesktopEvent(main, argv[2], argc > 3 ? _wtoi(argv[3]) : 0,
                         argc > 4 ? _wtoi(argv[4]) : 0);
        } else if (check == L"readoutdata" && argc > 2) {
            SaveReadoutData(main, argv[2]);
        } else if (check == L"soak") {
            CheckSoak(main, argc > 2 ? _wtoi(argv[2]) : 2000);
        } else if (check == L"escape") {
            PressEscape(main);
        } else if (check == L"close") {
            CloseBox(main);
        } else {
            std::printf("unknown check %ls\n", check.c_str());
            return 2;
        }
    }
    std::printf("%s %ls\n", failures ? "FAIL" : "PASS", check.c_str());
    return failures ? 1 : 0;
}
