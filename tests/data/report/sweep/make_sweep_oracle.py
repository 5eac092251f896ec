#!/usr/bin/python3
"""Sweeps with known costs, and what an independent fit says of them.

Writes sweep records (the companion's format) of synthetic drivers, and oracle.json: for each,
the fit by scipy.optimize.least_squares on the same visit medians with the same weights, its
standard errors from the Jacobian, Student t intervals, the lack-of-fit F test by
scipy.stats.f, and for pairs of sweeps Fieller's interval of each component's ratio, found by
root-finding rather than by the closed form. Lines and pixels are counted by walking the
program's grid line by line. Run from this folder with Debian's python3 (python3-scipy): /usr/bin/python3 make_sweep_oracle.py
"""
import json

import numpy as np
from scipy import optimize, stats

PITCH, LEFT, TOP, MARGIN, COLOURS = 4, 4, 84, 4, 3


def line_pixels(start, end, extent):
    # LineTo leaves out the end point; the client area clips.
    step = 1 if end > start else -1
    return sum(1 for p in range(start, end, step) if 0 <= p < extent)


def work(cw, ch):
    right, bottom = cw - MARGIN, ch - MARGIN
    rows = list(range(TOP, bottom, PITCH))
    cols = list(range(LEFT, right, PITCH))
    pixels = sum(line_pixels(LEFT, right, cw) for _ in rows) + sum(
        line_pixels(TOP, bottom, ch) for _ in cols)
    return COLOURS * len(rows), COLOURS * len(cols), COLOURS * pixels


AREAS = [(408, 388), (908, 688), (1912, 388), (408, 1080), (1912, 1080), (1160, 734),
         (408, 60), (1912, 60)]
ORDER = [0, 4, 6, 2, 1, 5, 3, 7]


def sweep(seed, fixed, per_h, per_v, per_mpx, memory, rounds=3, passes=8, jump=None):
    rng = np.random.default_rng(seed)
    visits, second = [], 0.0
    order = []
    for r in range(rounds):
        order += ORDER if r % 2 == 0 else ORDER[::-1][1:] + ORDER[:1][::-1]
    for a in order:
        cw, ch = AREAS[a]
        h, v, p = work(cw, ch)

        def cost(costs, jumps):
            # A driver whose per-pixel cost jumps past a size; memory never does.
            f, ch_, cv_, px = costs
            scale = px * jump[1] if jumps and jump and p > jump[0] else px
            return f + ch_ * h / 1000 + cv_ * v / 1000 + scale * p / 1e6

        drift = np.exp(rng.normal(0, 0.03))  # the visit's own spell
        screen = cost((fixed, per_h, per_v, per_mpx), True) * drift * np.exp(
            rng.normal(0, 0.05, passes))
        control = cost(memory, False) * drift * np.exp(rng.normal(0, 0.04, 2))
        visits.append({"visit": len(visits) + 1,
                       "client_area": {"width": cw, "height": ch},
                       "seconds": second,
                       "passes_ms": [round(float(x), 6) for x in screen],
                       "controls_ms": [round(float(x), 6) for x in control],
                       "dropped": 0})
        second += 5.0
    return visits


def fit(visits, control, apart):
    key = "controls_ms" if control else "passes_ms"
    rows = []
    for v in visits:
        h, vv, p = work(v["client_area"]["width"], v["client_area"]["height"])
        x = [1, h / 1000, vv / 1000, p / 1e6] if apart else [1, (h + vv) / 1000, p / 1e6]
        rows.append(((v["client_area"]["width"], v["client_area"]["height"]), x,
                     float(np.median(v[key]))))
    usual = {}
    for area, _, y in rows:
        usual.setdefault(area, []).append(y)
    usual = {a: float(np.median(ys)) for a, ys in usual.items()}
    X = np.array([r[1] for r in rows])
    y = np.array([r[2] for r in rows])
    w = np.array([1 / usual[r[0]] ** 2 for r in rows])
    res = optimize.least_squares(lambda b: (X @ b - y) * np.sqrt(w), np.zeros(X.shape[1]),
                                 xtol=1e-15, ftol=1e-15, gtol=1e-15)
    beta, J = res.x, res.jac
    k, n = X.shape[1], len(y)
    dof = n - k
    s2 = float(np.sum(res.fun ** 2)) / dof
    cov = s2 * np.linalg.inv(J.T @ J)
    se = np.sqrt(np.diag(cov))
    t = stats.t.ppf(0.975, dof)
    # Lack of fit against the repeats at each area.
    areas = sorted(usual)
    pure = 0.0
    largest = 0.0
    for a in areas:
        idx = [i for i, r in enumerate(rows) if r[0] == a]
        mean = np.sum(w[idx] * y[idx]) / np.sum(w[idx])
        pure += float(np.sum(w[idx] * (y[idx] - mean) ** 2))
        pred = float(X[idx[0]] @ beta)
        largest = max(largest, abs(mean - pred) / pred)
    rss = s2 * dof
    df_pe, df_lof = n - len(areas), len(areas) - k
    F = ((rss - pure) / df_lof) / (pure / df_pe)
    return {"values": beta.tolist(), "standard_errors": se.tolist(),
            "lows": (beta - t * se).tolist(), "highs": (beta + t * se).tolist(),
            "freedom": dof, "largest_residual": largest,
            "spread": float(np.sqrt(pure / df_pe)),
            "lack_of_fit_p": float(stats.f.sf(max(F, 0), df_lof, df_pe))}


def fieller(a, sa, dfa, b, sb, dfb):
    t = stats.t.ppf(0.975, min(dfa, dfb))
    g = lambda q: (b - q * a) ** 2 - t * t * (sb * sb + q * q * sa * sa)
    if a * a - t * t * sa * sa <= 0:
        return None
    centre = b * a / (a * a - t * t * sa * sa)
    lo = optimize.brentq(g, centre - 1e6, centre, xtol=1e-14)
    hi = optimize.brentq(g, centre, centre + 1e6, xtol=1e-14)
    return [lo, hi]


def record(visits):
    return {"format": "zolvik-report sweep", "program": None, "environment": None,
            "started": "2026-12-10T00:00:00Z", "visits": visits}


DRIVERS = {
    # fixed ms, per horizontal line us, per vertical line us, per million pixels ms; memory
    "sweep-a": dict(seed=1, fixed=0.2, per_h=1.0, per_v=1.0, per_mpx=3.0,
                    memory=(0.1, 0.5, 0.5, 2.5)),
    "sweep-b-per-call": dict(seed=2, fixed=0.2, per_h=12.0, per_v=12.0, per_mpx=3.0,
                             memory=(0.1, 0.5, 0.5, 2.5)),
    "sweep-lines-apart": dict(seed=3, fixed=0.2, per_h=0.5, per_v=3.0, per_mpx=3.0,
                              memory=(0.1, 0.5, 0.5, 2.5)),
    "sweep-jumps": dict(seed=4, fixed=0.2, per_h=1.0, per_v=1.0, per_mpx=3.0,
                        memory=(0.1, 0.5, 0.5, 2.5), jump=(1.0e6, 1.6)),
}


def main():
    oracle = {"work": {f"{cw}x{ch}": work(cw, ch) for cw, ch in
                       AREAS + [(400, 50), (908, 688), (9, 89), (0, 0), (413, 95)]},
              "fits": {}, "ratios": {}}
    fits = {}
    for name, params in DRIVERS.items():
        visits = sweep(**params)
        with open(name + ".json", "w") as f:
            json.dump(record(visits), f, indent=1)
        fits[name] = {"screen": fit(visits, False, False), "memory": fit(visits, True, False),
                      "screen_apart": fit(visits, False, True)}
        oracle["fits"][name] = fits[name]
    a, b = fits["sweep-a"]["screen"], fits["sweep-b-per-call"]["screen"]
    oracle["ratios"]["sweep-b-per-call/sweep-a"] = [
        fieller(a["values"][i], a["standard_errors"][i], a["freedom"],
                b["values"][i], b["standard_errors"][i], b["freedom"]) for i in range(3)]
    with open("oracle.json", "w") as f:
        json.dump(oracle, f, indent=1)


if __name__ == "__main__":
    main()
