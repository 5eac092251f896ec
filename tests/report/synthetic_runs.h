// Synthetic runs for the statistics tests, made the way the desktop makes passes.
#pragma once

#include "results/results.h"

#include <cmath>
#include <random>
#include <vector>

// Passes as the desktop gives them: log-normal noise correlated from pass to pass, and slow
// spells 10 % slower lasting about ten passes; together consecutive passes correlate about
// 0.44, as measured on Wine. Noise and spells are symmetric in the logarithm, so the median
// over time is `median` exactly.
struct Synthetic {
    std::mt19937_64 random{20261209};
    std::vector<double> Passes(std::size_t n, double median, double spread = 0.08)
    {
        std::normal_distribution<double> normal(0, spread);
        std::uniform_real_distribution<double> uniform(0, 1);
        std::vector<double> passes;
        double noise = normal(random);
        double spell = uniform(random) < 0.5 ? 0.05 : -0.05;
        for (std::size_t i = 0; i < n; ++i) {
            noise = 0.3 * noise + std::sqrt(1 - 0.3 * 0.3) * normal(random);
            if (uniform(random) < 0.1) {
                spell = -spell;
            }
            passes.push_back(median * std::exp(noise + spell));
        }
        return passes;
    }
    std::vector<::Run> Runs(int count, double median, double betweenRuns)
    {
        std::normal_distribution<double> runEffect(0, betweenRuns);
        std::vector<::Run> runs;
        for (int r = 1; r <= count; ++r) {
            ::Run run = NumberedRun(r);
            for (double d : Passes(48, median * std::exp(runEffect(random)))) {
                run.samples.push_back({run.samples.size() + 1, 0, d});
            }
            runs.push_back(run);
        }
        return runs;
    }
};
