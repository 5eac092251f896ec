#!/usr/bin/python3
# Computes the expected answers for the report statistics tests with numpy and scipy, an
# implementation independent of the C++ one: run it with Debian's python3 (python3-scipy)
#   /usr/bin/python3 tests/data/report/make_oracle.py > tests/data/report/oracle.json
import json
import math

import numpy as np
from scipy import stats

rng = np.random.default_rng(20261209)
# How far the medians of two runs of one build may differ, as the C++ side assumes it.
RUN_ALLOWANCE = 0.25


def series(n, median, spread, lag1=0.0, spell=0.0):
    """Pass durations: log-normal around `median`, AR(1) noise and optional slow spells."""
    noise = np.empty(n)
    noise[0] = rng.normal(0, spread)
    for i in range(1, n):
        noise[i] = lag1 * noise[i - 1] + math.sqrt(1 - lag1 * lag1) * rng.normal(0, spread)
    level = 0.0
    out = []
    for i in range(n):
        if spell and rng.random() < 0.1:
            level = spell if level == 0.0 else 0.0
        out.append(round(median * math.exp(noise[i] + level), 4))
    return out


def block_estimate(values):
    n = len(values)
    median = float(np.median(values))
    length = max(12, -(-n // 8))
    blocks = n // length
    result = {"median": median, "blocks": 0, "freedom": 0.0}
    if blocks < 2:
        return result
    result["blocks"] = blocks
    logs = [math.log(np.median(values[i * n // blocks:(i + 1) * n // blocks])) for i in range(blocks)]
    se = float(np.std(logs, ddof=1)) / math.sqrt(blocks)
    t = float(stats.t.ppf(0.975, blocks - 1))
    result.update(freedom=float(blocks - 1), standard_error=se,
                  low=median * math.exp(-t * se), high=median * math.exp(t * se))
    return result


def side(runs):
    estimates = [block_estimate(r) for r in runs]
    logs = [math.log(e["median"]) for e in estimates]
    if len(runs) == 1:
        e = estimates[0]
        return logs[0], e.get("standard_error", 0.0) ** 2, e["freedom"]
    within = [e["standard_error"] ** 2 for e in estimates if e["freedom"] > 0]
    between = float(np.var(logs, ddof=1))
    variance = max(between, float(np.mean(within)) if within else 0.0) / len(runs)
    return float(np.mean(logs)), variance, float(len(runs) - 1)


def compare(a, b):
    la, va, fa = side(a)
    lb, vb, fb = side(b)
    variance = va + vb
    freedom = variance ** 2 / (va ** 2 / fa + vb ** 2 / fb)
    half = float(stats.t.ppf(0.975, freedom)) * math.sqrt(variance)
    ratio = math.exp(lb - la)
    low, high = math.exp(lb - la - half), math.exp(lb - la + half)
    if len(a) < 2 or len(b) < 2:
        # One run cannot show how far runs of one build land apart: widen by the allowance.
        low, high = low / (1 + RUN_ALLOWANCE), high * (1 + RUN_ALLOWANCE)
    if low >= 0.95 and high <= 1.05:
        verdict = "same"  # too small to matter, even when it excludes 1
    elif low > 1:
        verdict = "slower"
    elif high < 1:
        verdict = "faster"
    else:
        verdict = "inconclusive"
    return {"ratio": ratio, "low": low, "high": high, "freedom": freedom, "verdict": verdict}


def summary(values):
    return {"median": float(np.median(values)),
            "p95": float(np.percentile(values, 95)),
            "mean": float(np.mean(values)),
            "stddev": float(np.std(values, ddof=1))}


runs = {
    "iid_48": series(48, 2.6, 0.08),
    "correlated_200": series(200, 2.6, 0.1, lag1=0.44, spell=0.15),
    "short_30": series(30, 4.8, 0.1),
    "too_short_10": series(10, 4.8, 0.1),
    "drifting_96": series(48, 2.5, 0.03) + series(48, 3.0, 0.03),
}
oracle = {"runs": [], "comparisons": [], "t": []}
for name, values in runs.items():
    oracle["runs"].append({"name": name, "durations": values, "summary": summary(values),
                           "estimate": block_estimate(values)})
for freedom in [1, 2, 3.5, 7, 30, 200]:
    oracle["t"].append({"freedom": freedom, "quantile": float(stats.t.ppf(0.975, freedom))})


def runs_of(count, median, spread, n=48, run_spread=0.04):
    return [series(n, median * math.exp(rng.normal(0, run_spread)), spread, lag1=0.4)
            for _ in range(count)]


cases = {
    "planted_3v3": (runs_of(3, 2.6, 0.08), runs_of(3, 2.6 * 1.26, 0.08)),
    "same_build_3v3": (runs_of(3, 2.6, 0.08), runs_of(3, 2.6, 0.08)),
    "one_run_a_side": (runs_of(1, 2.6, 0.08), runs_of(1, 2.6 * 1.08, 0.08)),
    "faster_4v2": (runs_of(4, 5.0, 0.08), runs_of(2, 2.5, 0.08)),
    "quiet_6v6": (runs_of(6, 2.6, 0.02, n=160, run_spread=0.005),
                  runs_of(6, 2.6, 0.02, n=160, run_spread=0.005)),
    "one_run_2x": (runs_of(1, 2.6, 0.08), runs_of(1, 2.6 * 2, 0.08)),
    "one_against_three": (runs_of(1, 2.6, 0.08), runs_of(3, 2.6 * 0.5, 0.08)),
    "small_but_shown_6v6": (runs_of(6, 2.6, 0.02, n=160, run_spread=0.005),
                            runs_of(6, 2.6 * 1.02, 0.02, n=160, run_spread=0.005)),
}
for name, (a, b) in cases.items():
    oracle["comparisons"].append({"name": name, "a": a, "b": b, "expected": compare(a, b)})
print(json.dumps(oracle, indent=1))
