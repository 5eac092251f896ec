// A run's summary on known data, and what the sampler reads after one pass.
#include "bench/bench.h"
#include "stats/stats.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace
{

TEST(ReportStatistics, SummaryOfKnownData)
{
    const Summary s = Summarize({7, 3, 9, 1, 5, 2, 8, 4, 10, 6});
    EXPECT_EQ(s.count, 10u);
    EXPECT_DOUBLE_EQ(s.minimum, 1);
    EXPECT_DOUBLE_EQ(s.maximum, 10);
    EXPECT_DOUBLE_EQ(s.mean, 5.5);
    EXPECT_DOUBLE_EQ(s.median, 5.5);
    EXPECT_DOUBLE_EQ(s.p95, 9.55);
    EXPECT_NEAR(s.stddev, 3.0276503540974917, 1e-12);

    const Summary odd = Summarize({4, 1, 2});
    EXPECT_DOUBLE_EQ(odd.median, 2);
    const Summary one = Summarize({2.5});
    EXPECT_DOUBLE_EQ(one.median, 2.5);
    EXPECT_DOUBLE_EQ(one.p95, 2.5);
    EXPECT_DOUBLE_EQ(one.stddev, 0);
    EXPECT_EQ(Summarize({}).count, 0u);
}

// The sampler resets after every pass, so what it reads is the program's mean of one pass.
TEST(ReportStatistics, AReadoutAfterOnePassIsThatPassToSixDecimals)
{
    TimingHistory history;
    for (double pass : {3.1234567, 5.0, 0.0001, 123.4567894}) {
        history.Clear();
        history.Push(pass);
        wchar_t shown[100];
        std::swprintf(shown, 100, L"%.6f", history.Average());
        EXPECT_NEAR(std::wcstod(shown, nullptr), pass, 0.5e-6) << pass;
    }
}

} // namespace
