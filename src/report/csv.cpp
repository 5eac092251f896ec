#include "report.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace
{

const char kHeader[] = "index,seconds,duration_ms";

// Parses one number that fills the whole field.
bool ParseField(const std::string& field, double& value)
{
    if (field.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(field.c_str(), &end);
    return errno == 0 && end == field.c_str() + field.size() && std::isfinite(value);
}

bool ParseRow(const std::string& line, double& duration)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    double index = 0;
    double seconds = 0;
    return fields.size() == 3 && ParseField(fields[0], index) && index >= 1 &&
           ParseField(fields[1], seconds) && seconds >= 0 && ParseField(fields[2], duration) &&
           duration >= 0;
}

} // namespace

bool ReadSamplesCsv(const std::string& path, std::vector<double>& durations, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot open";
        return false;
    }
    std::string line;
    int lineNumber = 0;
    bool ok = true;
    for (int c = std::fgetc(file); ok; c = std::fgetc(file)) {
        if (c != '\n' && c != EOF) {
            line += static_cast<char>(c);
            continue;
        }
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader && line != std::string(kHeader) + "\r") {
                error = path + ":1: not a zolvik-report CSV (header \"" + kHeader + "\")";
                ok = false;
            }
        } else if (!line.empty() && line != "\r") {
            double duration = 0;
            if (!ParseRow(line, duration)) {
                error =
                    path + ":" + std::to_string(lineNumber) + ": malformed row \"" + line + "\"";
                ok = false;
            } else {
                durations.push_back(duration);
            }
        }
        line.clear();
        if (c == EOF) {
            break;
        }
    }
    std::fclose(file);
    if (ok && durations.empty()) {
        error = path + ": no samples";
        ok = false;
    }
    return ok;
}

std::FILE* OpenSamplesCsv(const std::string& path)
{
    std::FILE* csv = std::fopen(path.c_str(), "wb");
    if (csv && (std::fprintf(csv, "%s\n", kHeader) < 0 || std::fflush(csv) != 0)) {
        std::fclose(csv);
        return nullptr;
    }
    return csv;
}

bool WriteSampleRow(std::FILE* csv, std::size_t index, double seconds, double durationMs)
{
    return std::fprintf(csv, "%zu,%.3f,%.6f\n", index, seconds, durationMs) > 0 &&
           std::fflush(csv) == 0;
}

int CompareCsvFiles(const std::string& a, const std::string& b, std::FILE* out, std::FILE* errors)
{
    std::vector<double> first;
    std::vector<double> second;
    std::string error;
    if (!ReadSamplesCsv(a, first, error) || !ReadSamplesCsv(b, second, error)) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
        return kExitBadCsv;
    }
    PrintComparison(out, a, Summarize(first), b, Summarize(second));
    return kExitOk;
}
