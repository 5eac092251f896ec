#include "stats/stats.h"

#include <boost/math/distributions/students_t.hpp>

#include <algorithm>
#include <cmath>

namespace
{

// The usual spread of one build's passes within a run on a quiet desktop stays well under
// this robust coefficient of variation; far above it the run says little.
constexpr double kUnusualSpread = 0.30;
constexpr double kManyDropped = 0.10;

double Percentile(const std::vector<double>& sorted, double fraction)
{
    const double rank = fraction * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (rank - static_cast<double>(below));
}

// The median with its standard error from `blocks` equal runs of consecutive passes.
MedianEstimate EstimateWithBlocks(const std::vector<double>& durations, std::size_t blocks)
{
    MedianEstimate estimate;
    estimate.median = Median(durations);
    estimate.logMedian = std::log(estimate.median);
    if (blocks < kMinBlocks || estimate.median <= 0) {
        return estimate;
    }
    const std::size_t n = durations.size();
    std::vector<double> logMedians;
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::vector<double> block(durations.begin() + static_cast<long>(i * n / blocks),
                                        durations.begin() +
                                            static_cast<long>((i + 1) * n / blocks));
        logMedians.push_back(std::log(std::max(Median(block), 1e-12)));
        estimate.blockMedians.push_back(Median(block));
    }
    estimate.blocks = blocks;
    estimate.blockLength = n / blocks;
    estimate.freedom = static_cast<double>(blocks - 1);
    estimate.standardError = std::sqrt(SampleVariance(logMedians) / static_cast<double>(blocks));
    const double half = TQuantile95(estimate.freedom) * estimate.standardError;
    estimate.low = std::exp(estimate.logMedian - half);
    estimate.high = std::exp(estimate.logMedian + half);
    return estimate;
}

double RobustSpread(const std::vector<double>& durations, double median)
{
    std::vector<double> deviations;
    for (double d : durations) {
        deviations.push_back(std::fabs(d - median));
    }
    return median > 0 ? 1.4826 * Median(deviations) / median : 0;
}

// The early and late halves of a run disagree beyond their intervals: the machine drifted.
void WarnOfDrift(const std::vector<double>& durations, std::size_t blocks, RunReport& report)
{
    if (blocks < 2 * kMinBlocks) {
        return;
    }
    const auto middle = durations.begin() + static_cast<long>(durations.size() / 2);
    const MedianEstimate early = EstimateWithBlocks({durations.begin(), middle}, blocks / 2);
    const MedianEstimate late = EstimateWithBlocks({middle, durations.end()}, blocks / 2);
    if (early.high < late.low || late.high < early.low) {
        report.warnings.push_back(
            {RunWarning::Drifted, early.median, late.median, late.median / early.median});
    }
}

} // namespace

double SampleVariance(const std::vector<double>& values)
{
    double mean = 0;
    for (double v : values) {
        mean += v;
    }
    mean /= static_cast<double>(values.size());
    double squares = 0;
    for (double v : values) {
        squares += (v - mean) * (v - mean);
    }
    return squares / static_cast<double>(values.size() - 1);
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return Percentile(values, 0.5);
}

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
    if (sorted.size() > 1) {
        summary.stddev = std::sqrt(SampleVariance(sorted));
    }
    summary.minimum = sorted.front();
    summary.maximum = sorted.back();
    summary.median = Percentile(sorted, 0.5);
    summary.p95 = Percentile(sorted, 0.95);
    return summary;
}

double TQuantile95(double freedom)
{
    return boost::math::quantile(boost::math::students_t(freedom), 0.975);
}

MedianEstimate EstimateMedian(const std::vector<double>& durations)
{
    const std::size_t n = durations.size();
    const std::size_t length = std::max(kBlockLength, (n + kMaxBlocks - 1) / kMaxBlocks);
    const std::size_t blocks =
        n / length >= kMinBlocks || n / kMinBlocks < kMinBlockLength ? n / length : kMinBlocks;
    return EstimateWithBlocks(durations, blocks);
}

RunReport ReportRun(const std::vector<double>& durations, std::size_t dropped)
{
    RunReport report;
    report.summary = Summarize(durations);
    report.dropped = dropped;
    if (durations.empty()) {
        return report;
    }
    report.estimate = EstimateMedian(durations);
    if (report.estimate.freedom == 0) {
        report.warnings.push_back(
            {RunWarning::TooFewSamples, static_cast<double>(kMinBlocks * kMinBlockLength)});
    }
    WarnOfDrift(durations, report.estimate.blocks, report);
    const double spread = RobustSpread(durations, report.estimate.median);
    if (spread > kUnusualSpread) {
        report.warnings.push_back({RunWarning::Unstable, spread, kUnusualSpread});
    }
    const std::size_t looked = durations.size() + dropped;
    if (static_cast<double>(dropped) > kManyDropped * static_cast<double>(looked)) {
        report.warnings.push_back(
            {RunWarning::ManyDropped, static_cast<double>(dropped), static_cast<double>(looked)});
    }
    return report;
}

const char* RunWarningCode(RunWarning::Kind kind)
{
    switch (kind) {
    case RunWarning::TooFewSamples:
        return "too_few_samples";
    case RunWarning::Drifted:
        return "drifted";
    case RunWarning::Unstable:
        return "unstable";
    case RunWarning::ManyDropped:
        return "many_dropped";
    case RunWarning::BackToBack:
        return "passes_back_to_back";
    case RunWarning::AreaChanged:
        return "drawing_area_changed";
    case RunWarning::Interrupted:
        return "interrupted";
    case RunWarning::OtherEnvironment:
        return "other_environment";
    }
    return "";
}
