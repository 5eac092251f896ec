// The progress line: rewritten in place on a console, plain lines now and then in a log.
#include "output/text.h"
#include "report_files.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace
{

using ReportComparison = ReportFiles;

TEST_F(ReportComparison, ProgressIsOneLineRewrittenOnAConsoleAndPlainLinesInALog)
{
    Progress progress;
    progress.runs = 3;
    progress.samples = 24;
    progress.pauseS = 60;
    // 12 of 24 samples in 6 s: 6 s more for this run, then two pauses and two runs of 12 s.
    EXPECT_EQ(ProgressText(progress, 1, 12, 6),
              "run 1 of 3, sample 12 of 24, about 2 min 30 s left");
    EXPECT_EQ(ProgressText(progress, 3, 0, 0), "run 3 of 3, sample 0 of 24");
    // The first sample, 0.2 s after the start: the timer, not that start, paces the rest;
    // passes of 2 s run back to back, one in nine unseen.
    progress.runs = 1;
    progress.samples = 40;
    EXPECT_EQ(ProgressText(progress, 1, 1, 0.2, 3), "run 1 of 1, sample 1 of 40, about 20 s left");
    EXPECT_EQ(ProgressText(progress, 1, 1, 0.2, 2000),
              "run 1 of 1, sample 1 of 40, about 1 min 28 s left");
    progress.runs = 3;
    progress.samples = 0;
    progress.seconds = 4000;
    EXPECT_EQ(ProgressText(progress, 3, 5, 400), "run 3 of 3, sample 5, 1 h 00 min left");

    const std::string path = Utf8(Path(L"progress.txt"));
    for (bool console : {true, false}) {
        progress.out = std::fopen(path.c_str(), "w+");
        progress.console = console;
        progress.shown = 0;
        progress.printedS = -1e9;
        ShowProgress(progress, "run 1 of 3, sample 10 of 24", 0, true);
        ShowProgress(progress, "run 1 of 3, sample 9", 1, false);
        ShowProgress(progress, "run 1 of 3, sample 11", 12, false);
        EndProgressLine(progress);
        std::fclose(progress.out);
        const std::string text = Content(std::wstring(path.begin(), path.end()));
        EXPECT_EQ(text, console ? "\rrun 1 of 3, sample 10 of 24\rrun 1 of 3, sample 9       "
                                  "\rrun 1 of 3, sample 11\r" +
                                      std::string(21, ' ') + "\r"
                                : "run 1 of 3, sample 10 of 24\nrun 1 of 3, sample 11\n");
    }
}

} // namespace
