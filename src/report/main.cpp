// zolvik-report: single-pass durations of a running Zolvik, read from its window, with a
// summary, a CSV file and before/after comparisons. The program itself stays as it is: this
// companion only clicks its "Reset statistics" button and reads its pixels.
#include "readout.h"
#include "report.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace
{

constexpr int kHistoryLength = 8;
constexpr int kPollMs = 4;
constexpr int kUndecodableReadings = 250; // about a second of readouts that make no sense

struct Options {
    long samples = 0;
    double seconds = 0;
    std::string csv;
    std::vector<std::string> compare;
};

const char kUsage[] =
    "usage: zolvik-report [--samples N | --seconds S] [--csv FILE]\n"
    "       zolvik-report --compare A.csv B.csv\n"
    "Reads single-pass durations from the running Zolvik window (it must be visible) by\n"
    "resetting its statistics and decoding the mean it shows after each of the next eight\n"
    "passes, then again. Default: 24 samples.\n";

std::string Narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

bool ParsePositive(const wchar_t* text, double& value)
{
    wchar_t* end = nullptr;
    value = std::wcstod(text, &end);
    return end != text && *end == L'\0' && value > 0;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0;
        if (arg == L"--samples" && hasValue && ParsePositive(argv[i + 1], number)) {
            options.samples = static_cast<long>(number);
            ++i;
        } else if (arg == L"--seconds" && hasValue && ParsePositive(argv[i + 1], number)) {
            options.seconds = number;
            ++i;
        } else if (arg == L"--csv" && hasValue) {
            options.csv = Narrow(argv[++i]);
        } else if (arg == L"--compare" && i + 2 < argc) {
            options.compare = {Narrow(argv[i + 1]), Narrow(argv[i + 2])};
            i += 2;
        } else {
            return false;
        }
    }
    if (options.samples == 0 && options.seconds == 0) {
        options.samples = 24;
    }
    return true;
}

double SecondsSince(ULONGLONG startMs)
{
    return static_cast<double>(GetTickCount64() - startMs) / 1000.0;
}

// Empties the program's history; the click is handled before this returns.
bool ResetHistory(HWND button)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

int Fail(int code, const char* message)
{
    std::fprintf(stderr, "zolvik-report: %s\n", message);
    return code;
}

// Follows the readout: after a reset the k-th change shows the mean of k passes, which gives
// the k-th pass alone; after the eighth the history is reset so that every pass is sampled.
int Sample(HWND window, HWND button, const Options& options, std::FILE* csv,
           std::vector<double>& durations)
{
    const ULONGLONG start = GetTickCount64();
    std::wstring shown;
    std::wstring stale;
    double value = 0;
    int failures = 0;
    while (!ReadShownMean(window, value, stale)) {
        if (!IsWindow(window)) {
            return Fail(kExitWindowClosed, "the Zolvik window closed");
        }
        if (++failures > kUndecodableReadings) {
            return Fail(kExitUndecodable, "the readout at (200, 4) cannot be decoded");
        }
        Sleep(kPollMs);
    }
    int k = 0;
    double previousMean = 0;
    bool awaitingZero = ResetHistory(button);
    ULONGLONG resetAt = GetTickCount64();
    failures = 0;
    while ((options.samples == 0 || static_cast<long>(durations.size()) < options.samples) &&
           (options.seconds == 0 || SecondsSince(start) < options.seconds)) {
        Sleep(kPollMs);
        if (!IsWindow(window)) {
            return Fail(kExitWindowClosed, "the Zolvik window closed during the run");
        }
        std::wstring text;
        if (!ReadShownMean(window, value, text)) {
            if (++failures > kUndecodableReadings) {
                return Fail(kExitUndecodable, "the readout at (200, 4) cannot be decoded");
            }
            continue;
        }
        failures = 0;
        if (awaitingZero) {
            // Until the zero reaches the screen the old value may still be there.
            if (text == stale && GetTickCount64() - resetAt < 2000) {
                continue;
            }
            if (text == stale) {
                return Fail(kExitUndecodable, "the readout did not show 0.000000 after a reset");
            }
            awaitingZero = false;
            if (text == L"0.000000") {
                std::printf("reset: the readout shows 0.000000\n");
            }
            shown = L"0.000000";
        }
        if (text == shown) {
            continue;
        }
        ++k;
        const double duration = PassDuration(k, value, previousMean);
        previousMean = value;
        shown = text;
        durations.push_back(duration);
        const double seconds = SecondsSince(start);
        std::printf("sample %zu: %.6f ms (pass %d after a reset, shown mean %ls)\n",
                    durations.size(), duration, k, text.c_str());
        std::fflush(stdout);
        if (csv && !WriteSampleRow(csv, durations.size(), seconds, duration)) {
            return Fail(kExitCannotWrite, "cannot write the CSV file");
        }
        if (k == kHistoryLength) {
            stale = text;
            k = 0;
            previousMean = 0;
            awaitingZero = ResetHistory(button);
            resetAt = GetTickCount64();
        }
    }
    return kExitOk;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (!options.compare.empty()) {
        return CompareCsvFiles(options.compare[0], options.compare[1], stdout, stderr);
    }
    HWND window = FindWindowW(L"ZolvikWindowClass", nullptr);
    if (!window) {
        return Fail(kExitNoWindow, "no Zolvik window is open (class ZolvikWindowClass)");
    }
    HWND button = GetDlgItem(window, 1);
    if (!button) {
        return Fail(kExitNoWindow, "the window has no \"Reset statistics\" button");
    }
    std::FILE* csv = nullptr;
    if (!options.csv.empty() && !(csv = OpenSamplesCsv(options.csv))) {
        return Fail(kExitCannotWrite, ("cannot write " + options.csv).c_str());
    }
    std::vector<double> durations;
    const int code = Sample(window, button, options, csv, durations);
    if (csv) {
        std::fclose(csv);
    }
    if (!durations.empty()) {
        PrintSummary(stdout, "single-pass durations", Summarize(durations));
    }
    return code;
}
