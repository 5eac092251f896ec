#include "report.h"

#include <algorithm>
#include <cmath>

namespace
{

double Percentile(const std::vector<double>& sorted, double fraction)
{
    const double rank = fraction * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (rank - static_cast<double>(below));
}

} // namespace

Summary Summarize(const std::vector<double>& durations)
{
    Summary summary = {durations.size(), 0, 0, 0, 0, 0, 0};
    if (durations.empty()) {
        return summary;
    }
    std::vector<double> sorted = durations;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double d : sorted) {
        sum += d;
    }
    summary.mean = sum / static_cast<double>(sorted.size());
    double squares = 0.0;
    for (double d : sorted) {
        squares += (d - summary.mean) * (d - summary.mean);
    }
    if (sorted.size() > 1) {
        summary.stddev = std::sqrt(squares / static_cast<double>(sorted.size() - 1));
    }
    summary.minimum = sorted.front();
    summary.maximum = sorted.back();
    summary.median = Percentile(sorted, 0.5);
    summary.p95 = Percentile(sorted, 0.95);
    return summary;
}

double PassDuration(int k, double mean, double previousMean)
{
    return k * mean - (k - 1) * previousMean;
}

void PrintSummary(std::FILE* out, const std::string& title, const Summary& s)
{
    std::fprintf(out,
                 "%s: %zu samples (ms)\n"
                 "  minimum %12.6f\n  median  %12.6f\n  mean    %12.6f\n"
                 "  p95     %12.6f\n  maximum %12.6f\n  stddev  %12.6f\n",
                 title.c_str(), s.count, s.minimum, s.median, s.mean, s.p95, s.maximum, s.stddev);
}

void PrintComparison(std::FILE* out, const std::string& nameA, const Summary& a,
                     const std::string& nameB, const Summary& b)
{
    std::fprintf(out, "%-8s %16s %16s\n", "(ms)", "A", "B");
    std::fprintf(out, "%-8s %16zu %16zu\n", "count", a.count, b.count);
    const struct {
        const char* name;
        double a;
        double b;
    } rows[] = {{"minimum", a.minimum, b.minimum}, {"median", a.median, b.median},
                {"mean", a.mean, b.mean},          {"p95", a.p95, b.p95},
                {"maximum", a.maximum, b.maximum}, {"stddev", a.stddev, b.stddev}};
    for (const auto& row : rows) {
        std::fprintf(out, "%-8s %16.6f %16.6f\n", row.name, row.a, row.b);
    }
    std::fprintf(out, "A: %s\nB: %s\n", nameA.c_str(), nameB.c_str());
    if (a.median > 0.0) {
        std::fprintf(out, "median ratio B/A: %.4f\n", b.median / a.median);
    } else {
        std::fprintf(out, "median ratio B/A: undefined (median of A is 0)\n");
    }
}
