#include "results/results.h"
#include "exit_codes.h"
#include "results/files.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace
{

const char kHeader[] = "run,index,seconds,duration_ms";
const char kOlderHeader[] = "index,seconds,duration_ms";
constexpr double kLargestCount = 1e9;

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

bool ParseCount(const std::string& field, double& value)
{
    return ParseField(field, value) && value >= 1 && value <= kLargestCount &&
           value == std::floor(value) && field.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// A row of either form; the older one belongs to run 1.
bool ParseRow(const std::string& line, bool older, int& run, Sample& sample)
{
    std::vector<std::string> fields = SplitFields(line);
    double number = 1;
    if (older) {
        fields.insert(fields.begin(), "1");
    }
    double index = 0;
    if (fields.size() != 4 || !ParseCount(fields[0], number) || !ParseCount(fields[1], index) ||
        !ParseField(fields[2], sample.seconds) || sample.seconds < 0 ||
        !ParseField(fields[3], sample.durationMs) || sample.durationMs < 0) {
        return false;
    }
    run = static_cast<int>(number);
    sample.index = static_cast<std::size_t>(index);
    return true;
}

void AddSample(std::vector<Run>& runs, int number, const Sample& sample)
{
    for (Run& run : runs) {
        if (run.number == number) {
            run.samples.push_back(sample);
            return;
        }
    }
    runs.push_back(NumberedRun(number, {sample}));
}

struct CsvContent {
    bool older = false;
    bool endsWithNewline = true;
    std::vector<Run> runs;
};

bool ParseCsv(const std::string& name, const std::string& text, CsvContent& content,
              std::string& error)
{
    content.endsWithNewline = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size() || lineNumber == 1; ++lineNumber) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (lineNumber == 1) {
            content.older = line == kOlderHeader;
            if (line != kHeader && !content.older) {
                error = name + ":1: not a zolvik-report CSV (header \"" + kHeader + "\")";
                return false;
            }
            continue;
        }
        int run = 0;
        Sample sample = {};
        if (line.empty()) {
            continue;
        }
        if (!ParseRow(line, content.older, run, sample)) {
            error = name + ":" + std::to_string(lineNumber) + ": malformed row \"" +
                    line.substr(0, 80) + "\"";
            return false;
        }
        AddSample(content.runs, run, sample);
    }
    return true;
}

bool ReadCsv(const std::wstring& path, CsvContent& content, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        error = Utf8(path) + ": cannot open";
        return false;
    }
    return ParseCsv(Utf8(path), text, content, error);
}

} // namespace

bool ParseRunsCsv(const std::string& name, const std::string& text, std::vector<Run>& runs,
                  std::string& error)
{
    CsvContent content;
    if (!ParseCsv(name, text, content, error)) {
        return false;
    }
    if (content.runs.empty()) {
        error = name + ": no samples";
        return false;
    }
    runs = content.runs;
    return true;
}

bool ReadRunsCsv(const std::wstring& path, std::vector<Run>& runs, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        error = Utf8(path) + ": cannot open";
        return false;
    }
    return ParseRunsCsv(Utf8(path), text, runs, error);
}

int OpenCsvSink(const std::wstring& path, bool append, CsvSink& sink, std::string& error)
{
    const std::string name = Utf8(path);
    if (append && FileExists(path)) {
        CsvContent content;
        if (!ReadCsv(path, content, error)) {
            error += "; --append adds runs only to a zolvik-report CSV";
            return kExitBadFile;
        }
        if (content.older) {
            error = name + ": has the older form \"" + kOlderHeader + "\"; --append adds runs " +
                    "only to files headed \"" + kHeader + "\"";
            return kExitBadFile;
        }
        sink.run = 1;
        for (const Run& run : content.runs) {
            sink.run = std::max(sink.run, run.number + 1);
        }
        sink.file = OpenForAppending(path);
        if (!sink.file || (!content.endsWithNewline && std::fputc('\n', sink.file) == EOF)) {
            error = "cannot append to " + name;
            CloseCsvSink(sink);
            return kExitCannotWrite;
        }
        return kExitOk;
    }
    bool existed = false;
    sink.run = 1;
    sink.file = CreateNewFile(path, existed);
    if (existed) {
        error = name + " exists: a results file is never overwritten; give --append to add a " +
                "run to it, or another name";
        return kExitFileExists;
    }
    if (!sink.file || std::fprintf(sink.file, "%s\n", kHeader) < 0 || std::fflush(sink.file)) {
        error = "cannot write " + name;
        CloseCsvSink(sink);
        return kExitCannotWrite;
    }
    return kExitOk;
}

bool WriteSampleRow(const CsvSink& sink, const Sample& sample)
{
    return std::fprintf(sink.file, "%d,%zu,%.3f,%.6f\n", sink.run, sample.index, sample.seconds,
                        sample.durationMs) > 0 &&
           std::fflush(sink.file) == 0;
}

void CloseCsvSink(CsvSink& sink)
{
    if (sink.file) {
        std::fclose(sink.file);
        sink.file = nullptr;
    }
}
