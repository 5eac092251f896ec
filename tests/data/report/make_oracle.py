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
# A run too short for an interval of its own counts as if its log median were off by half the
# allowance (one standard deviation), never by less.
SHORT_RUN_ERROR = math.log(1 + RUN_ALLOWANCE) / 2


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


# Blocks of at least 12 consecutive passes, at most 8 blocks, and never an interval from
# fewer than 3 blocks: where 12 leave room for fewer, 3 blocks of at least 7.
BLOCK_LENGTH, MIN_BLOCK_LENGTH, MIN_BLOCKS, MAX_BLOCKS = 12, 7, 3, 8


def block_estimate(values):
    n = len(values)
    median = float(np.median(values))
    length = max(BLOCK_LENGTH, -(-n // MAX_BLOCKS))
    blocks = n // length
    if blocks < MIN_BLOCKS and n // MIN_BLOCKS >= MIN_BLOCK_LENGTH:
        blocks = MIN_BLOCKS
    result = {"median": median, "blocks": 0, "freedom": 0.0}
    if blocks < MIN_BLOCKS:
        return result
    result["blocks"] = blocks
    logs = [math.log(np.median(values[i * n // blocks:(i + 1) * n // blocks])) for i in range(blocks)]
    se = float(np.std(logs, ddof=1)) / math.sqrt(blocks)
    t = float(stats.t.ppf(0.975, blocks - 1))
    result.update(freedom=float(blocks - 1), standard_error=se,
                  low=median * math.exp(-t * se), high=median * math.exp(t * se))
    return result


def raw_figure(values):
    """A run's log median, its standard error and freedom from its blocks."""
    e = block_estimate(values)
    return math.log(e["median"]), e.get("standard_error", 0.0), e["freedom"]


def pool(figures):
    logs = [f[0] for f in figures]
    if len(figures) == 1:
        return logs[0], figures[0][1] ** 2, figures[0][2]
    within = [f[1] ** 2 if f[2] > 0 else SHORT_RUN_ERROR ** 2 for f in figures]
    between = float(np.var(logs, ddof=1))
    variance = max(between, float(np.mean(within))) / len(figures)
    return float(np.mean(logs)), variance, float(len(figures) - 1)


def classify(low, high):
    if low >= 0.95 and high <= 1.05:
        return "same"  # too small to matter, even when it excludes 1
    if low > 1:
        return "slower"
    if high < 1:
        return "faster"
    return "inconclusive"


def contrast(fig_a, fig_b):
    la, va, fa = pool(fig_a)
    lb, vb, fb = pool(fig_b)
    variance = va + vb
    freedom = variance ** 2 / (va ** 2 / fa + vb ** 2 / fb)
    half = float(stats.t.ppf(0.975, freedom)) * math.sqrt(variance)
    ratio = math.exp(lb - la)
    low, high = math.exp(lb - la - half), math.exp(lb - la + half)
    if len(fig_a) < 2 or len(fig_b) < 2:
        # One run cannot show how far runs of one build land apart: widen by the allowance.
        low, high = low / (1 + RUN_ALLOWANCE), high * (1 + RUN_ALLOWANCE)
    return {"ratio": ratio, "low": low, "high": high, "freedom": freedom,
            "verdict": classify(low, high)}


def compare(a, b):
    return contrast([raw_figure(r) for r in a], [raw_figure(r) for r in b])


def summary(values):
    return {"median": float(np.median(values)),
            "p95": float(np.percentile(values, 95)),
            "mean": float(np.mean(values)),
            "stddev": float(np.std(values, ddof=1))}


runs = {
    "default_24": series(24, 2.6, 0.1, lag1=0.44),
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

# Short runs that happen to agree: each counts as off by the short-run error at least.
agreeing = [series(16, 2.6, 0.02) for _ in range(2)]
oracle["comparisons"].append({"name": "short_runs_agree_2v2", "a": agreeing,
                              "b": [[round(v * 0.9, 4) for v in r] for r in agreeing],
                              "expected": compare(agreeing,
                                                  [[round(v * 0.9, 4) for v in r] for r in agreeing])})


# Runs with a control: cycles of a spell of control passes (the grid in memory) and the eight
# passes after it. `machine` slows both, `driver` only the passes on screen.
def controlled_runs(count, cycles, machine, driver, memory_ms=2.4, screen_ms=2.6):
    runs = []
    for _ in range(count):
        level = rng.normal(0, 0.03)  # the machine wanders from run to run
        run = []
        for _ in range(cycles):
            drift = level + rng.normal(0, 0.02)  # and from cycle to cycle, both alike
            controls = [round(memory_ms * machine * math.exp(drift + rng.normal(0, 0.03)), 4)
                        for _ in range(int(rng.integers(1, 5)))]
            passes = [round(screen_ms * machine * driver * math.exp(drift + rng.normal(0, 0.05)), 4)
                      for _ in range(8)]
            run.append({"controls": controls, "passes": passes})
        runs.append(run)
    return runs


# Runs whose passes each had a control pass drawn right after them: a list of (pass, control)
# pairs, the two moved alike by the machine's drift.
def paired_runs(count, n, machine, driver, memory_ms=2.4, screen_ms=2.6):
    runs = []
    for _ in range(count):
        level = rng.normal(0, 0.03)
        drift = 0.0
        pairs = []
        for _ in range(n):
            drift = 0.9 * drift + rng.normal(0, 0.04)  # the machine wanders within the run
            pairs.append([round(screen_ms * machine * driver * math.exp(level + drift + rng.normal(0, 0.03)), 4),
                          round(memory_ms * machine * math.exp(level + drift + rng.normal(0, 0.03)), 4)])
        runs.append({"pairs": pairs})
    return runs


def paired_blocks(run):
    return [(c["passes"], c["controls"]) for c in run]


def passes_of(run):
    if isinstance(run, dict):
        return [p for p, _ in run["pairs"]]
    return [v for c in run for v in c["passes"]]


def memory_figure(run):
    if isinstance(run, dict):
        return raw_figure([c for _, c in run["pairs"]])
    controls = [v for c in run for v in c["controls"]]
    logs = [math.log(np.median(c)) for _, c in paired_blocks(run)]
    return block_figure(math.log(np.median(controls)), logs)


def relative_figure(run):
    if isinstance(run, dict):
        return raw_figure([p / c for p, c in run["pairs"]])
    passes = [v for c in run for v in c["passes"]]
    controls = [v for c in run for v in c["controls"]]
    logs = [math.log(np.median(p)) - math.log(np.median(c)) for p, c in paired_blocks(run)]
    return block_figure(math.log(np.median(passes)) - math.log(np.median(controls)), logs)


def block_figure(centre, logs):
    if len(logs) < MIN_BLOCKS:
        return centre, 0.0, 0.0
    return centre, float(np.std(logs, ddof=1)) / math.sqrt(len(logs)), float(len(logs) - 1)


# Where the machine's speed changed, scaling by the control is not exact: on screen / in
# memory must then differ beyond this band for a verdict.
MACHINE_BAND = 0.10


def decide(raw, memory, relative):
    """The verdict with the machine taken out. The control shows the machine unchanged (in
    memory within the band): raw times decide, or where they cannot, on screen / in memory.
    It shows the machine changed: the driver's own difference lies between the raw times and
    on screen / in memory (the screen may share all, part or none of the machine's change), so
    both must say it, on screen / in memory beyond the band. It cannot tell: raw times stand
    where on screen / in memory agrees; else on screen / in memory, where it says "same", or
    lies beyond the band and the raw times do not say the opposite."""
    changed = memory["verdict"] in ("slower", "faster")
    steady = memory["low"] >= 1 / (1 + MACHINE_BAND) and memory["high"] <= 1 + MACHINE_BAND
    beyond = relative["low"] > 1 + MACHINE_BAND or relative["high"] < 1 / (1 + MACHINE_BAND)
    verdict = raw["verdict"]
    if steady:
        if verdict == "inconclusive":
            verdict = relative["verdict"]
    elif not changed:
        opposite = {verdict, relative["verdict"]} == {"slower", "faster"}
        if relative["verdict"] != verdict:
            verdict = (relative["verdict"] if (beyond and not opposite) or relative["verdict"] == "same"
                       else "inconclusive")
    else:
        verdict = relative["verdict"] if beyond and relative["verdict"] == verdict else "inconclusive"
    return verdict


def centred(interval, ratio):
    """The interval moved, in logarithms, to centre on `ratio`."""
    half = math.sqrt(interval["high"] / interval["low"])
    low, high = ratio / half, ratio * half
    return {"low": low, "high": high, "verdict": classify(low, high)}


def least_called(raw, memory, relative, way):
    """The least factor q above 1 whose difference (q slower, 1/q faster), measured by the raw
    times and on screen / in memory alike with these runs' spreads, the decision calls `way`.
    Found by searching, not by a formula."""
    def shown(q):
        f = q if way == "slower" else 1 / q
        return decide(centred(raw, f), memory, centred(relative, f)) == way
    low, high = 1.0, 1.0
    while not shown(high):
        high *= 2
        if high > 1e6:
            return None
    for _ in range(200):
        middle = math.sqrt(low * high)
        low, high = (low, middle) if shown(middle) else (middle, high)
    return high


def resolution(raw, memory, relative):
    return least_called(raw, memory, relative, "slower")


def faster_from(raw, memory, relative):
    q = least_called(raw, memory, relative, "faster")
    return None if q is None else 1 / q


def judge(a, b):
    raw = compare([passes_of(r) for r in a], [passes_of(r) for r in b])
    memory = contrast([memory_figure(r) for r in a], [memory_figure(r) for r in b])
    relative = contrast([relative_figure(r) for r in a], [relative_figure(r) for r in b])
    return {"raw": raw, "memory": memory, "relative": relative,
            "machine_changed": memory["verdict"] in ("slower", "faster"),
            "verdict": decide(raw, memory, relative),
            "resolution": resolution(raw, memory, relative),
            "faster_from": faster_from(raw, memory, relative)}


machine_cases = {
    "machine_slower_during_b": (controlled_runs(3, 3, 1.0, 1.0), controlled_runs(3, 3, 1.5, 1.0)),
    "driver_slower_same_machine": (controlled_runs(3, 4, 1.0, 1.0), controlled_runs(3, 4, 1.0, 2.0)),
    "driver_slower_machine_faster": (controlled_runs(3, 3, 1.0, 1.0),
                                     controlled_runs(3, 3, 1 / 1.5, 1.5)),
    "driver_and_machine_slower": (controlled_runs(3, 3, 1.0, 1.0), controlled_runs(3, 3, 1.5, 2.0)),
    "one_run_a_side": (controlled_runs(1, 6, 1.0, 1.0), controlled_runs(1, 6, 1.0, 1.02)),
    "same_build_agrees": (controlled_runs(3, 4, 1.0, 1.0), controlled_runs(3, 4, 1.0, 1.0)),
    "paired_driver_slower": (paired_runs(2, 24, 1.0, 1.0), paired_runs(2, 24, 1.0, 2.5)),
    "paired_machine_slower": (paired_runs(3, 24, 1.0, 1.0), paired_runs(3, 24, 2.0, 1.0)),
    "paired_same_build": (paired_runs(3, 120, 1.0, 1.0), paired_runs(3, 120, 1.0, 1.0)),
    "paired_driver_slower_machine_faster": (paired_runs(3, 24, 1.0, 1.0),
                                            paired_runs(3, 24, 0.6, 1.5)),
}
# The control drawn on a machine that wandered from run to run under it alone (the screen's
# passes did not): raw times narrow, the control too spread to tell. A raw verdict then needs
# on screen / in memory to agree, so the runs resolve no more than that wider interval.
wandering = controlled_runs(3, 4, 1.0, 1.0) + controlled_runs(3, 4, 1.0, 1.0)
for run, level in zip(wandering, [1.0, 1.6, 0.7, 1.5, 0.6, 1.3]):
    for cycle in run:
        cycle["controls"] = [round(c * level, 4) for c in cycle["controls"]]
machine_cases["control_spread_raw_narrow"] = (wandering[:3], [
    [{"controls": c["controls"], "passes": [round(p * 1.3, 4) for p in c["passes"]]} for c in run]
    for run in wandering[3:]])
# The machine half as fast during B, of which the path to the screen shares only part: raw
# times slower, on screen / in memory faster beyond the band. The same figures come from a
# driver faster on a screen that shares all of the machine's change, so no verdict.
machine_cases["machine_slower_screen_shares_part"] = (controlled_runs(3, 4, 1.0, 1.0),
                                                      controlled_runs(3, 4, 1.9, 1.3 / 1.9))
# Intervals narrower than the bands: long paired runs of a quiet machine, where the "same" band
# and not the runs' spread sets what they would call; and a machine that wandered from run to
# run under narrow on screen / in memory, where the machine band sets it.
def quiet_paired_runs(count, n, machine, driver, level_spread, noise):
    runs = []
    for _ in range(count):
        level = rng.normal(0, level_spread)
        pairs = []
        for _ in range(n):
            drift = rng.normal(0, noise)
            pairs.append([round(2.6 * machine * driver * math.exp(level + drift + rng.normal(0, noise)), 4),
                          round(2.4 * machine * math.exp(level + drift + rng.normal(0, noise)), 4)])
        runs.append({"pairs": pairs})
    return runs


machine_cases["narrow_same_build"] = (quiet_paired_runs(4, 120, 1.0, 1.0, 0.003, 0.004),
                                      quiet_paired_runs(4, 120, 1.0, 1.0, 0.003, 0.004))
machine_cases["narrow_driver_3_percent"] = (quiet_paired_runs(4, 120, 1.0, 1.0, 0.003, 0.004),
                                            quiet_paired_runs(4, 120, 1.0, 1.03, 0.003, 0.004))
machine_cases["narrow_relative_machine_wanders"] = (
    quiet_paired_runs(3, 120, 1.0, 1.0, 0.15, 0.004),
    quiet_paired_runs(3, 120, 1.0, 1.08, 0.15, 0.004))
oracle["machine"] = [{"name": name, "a": a, "b": b, "expected": judge(a, b)}
                     for name, (a, b) in machine_cases.items()]
print(json.dumps(oracle, indent=1))
