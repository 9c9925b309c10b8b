#!/usr/bin/env python3
"""Writes the demo's three alternatives of a small macro model as CSV files.

The CSV files in examples/data/ are committed; the build never runs this script.
It only needs python3's standard library:   python3 examples/make_data.py

The model economy, 1990-2030 (history to 2024, forecast 2025-2030):
  gdp    real GDP, bn (2015 prices)            quarterly gdpq at annual rates
  cons   real private consumption, bn
  inv    real fixed investment, bn
  gov    real government spending, bn
  nx     real net exports, bn (gdp - cons - inv - gov)
  pgdp   GDP deflator, 2015 = 100
  cpi    consumer prices, 2015 = 100           quarterly cpiq
  rs     short-term (policy) interest rate, %  quarterly rsq
  rl     ten-year bond yield, %
  ur     unemployment rate, %                  quarterly urq
Each annual series of gdp, cpi, rs and ur is the average of its four quarters.

Alternatives (identical to 2024):
  base    the base forecast
  fiscal  government spending raised by 1% of base GDP from 2025
  rates   policy rate raised by one percentage point from 2025
"""

import math
import os

FIRST, LAST = 1990, 2030
YEARS = list(range(FIRST, LAST + 1))
NY = len(YEARS)          # 41 annual observations
NQ = 4 * NY              # 164 quarterly observations
SHOCK = 2025             # first year of the scenarios


def knots_to_annual(knots):
    """Linear interpolation of {year: value} knots to every year."""
    keys = sorted(knots)
    out = []
    for y in YEARS:
        if y <= keys[0]:
            out.append(knots[keys[0]])
            continue
        if y >= keys[-1]:
            out.append(knots[keys[-1]])
            continue
        for a, b in zip(keys, keys[1:]):
            if a <= y <= b:
                out.append(knots[a] + (knots[b] - knots[a]) * (y - a) / (b - a))
                break
    return out


def annual_to_quarterly(annual):
    """Quarterly path through annual values placed at mid-year (linear)."""
    out = []
    for q in range(NQ):
        t = q / 4 + 0.125 - 0.5          # quarter midpoint minus mid-year, in years
        i = math.floor(t)
        f = t - i
        a = annual[min(max(i, 0), NY - 1)]
        b = annual[min(max(i + 1, 0), NY - 1)]
        out.append(a + (b - a) * f)
    return out


def quarterly_average(quarterly):
    return [sum(quarterly[4 * i:4 * i + 4]) / 4 for i in range(NY)]


def shock_path(values):
    """Annual shock: 0 before SHOCK, then the given values for SHOCK..LAST."""
    return [0.0 if y < SHOCK else values[y - SHOCK] for y in YEARS]


def shock_quarterly(annual_shock):
    """Quarterly shock that ramps in from 2025Q1 (zero before)."""
    q = annual_to_quarterly(annual_shock)
    return [0.0 if FIRST + i // 4 < SHOCK else v for i, v in enumerate(q)]


def rnd(values, decimals):
    return [round(v, decimals) for v in values]


# ---------------------------------------------------------------- base run
growth = knots_to_annual({1990: 2.4, 1991: 0.2, 1992: 1.6, 1994: 2.8, 2000: 3.2,
                          2001: 1.2, 2002: 1.4, 2004: 2.6, 2007: 2.8, 2008: 0.6,
                          2009: -3.6, 2010: 2.2, 2011: 1.8, 2012: 0.8, 2014: 1.8,
                          2017: 2.4, 2019: 1.6, 2020: -5.8, 2021: 5.4, 2022: 3.2,
                          2023: 0.8, 2024: 1.0, 2025: 1.4, 2026: 1.7, 2030: 1.6})
inflation = knots_to_annual({1990: 4.6, 1993: 3.4, 1998: 1.6, 2000: 2.1, 2007: 2.3,
                             2008: 3.4, 2009: 0.4, 2011: 2.8, 2013: 1.2, 2015: 0.3,
                             2017: 1.6, 2019: 1.4, 2020: 0.5, 2021: 3.8, 2022: 8.2,
                             2023: 5.6, 2024: 2.6, 2025: 2.2, 2026: 2.0, 2030: 2.0})
policy = knots_to_annual({1990: 8.2, 1992: 8.8, 1994: 5.6, 1999: 3.2, 2000: 4.2,
                          2003: 2.0, 2005: 2.1, 2007: 3.9, 2008: 3.6, 2009: 1.0,
                          2011: 1.2, 2012: 0.6, 2014: 0.2, 2016: 0.1, 2019: 0.1,
                          2022: 1.4, 2023: 3.9, 2024: 3.8, 2025: 2.6, 2026: 2.3,
                          2030: 2.3})
unemployment = knots_to_annual({1990: 6.2, 1991: 7.0, 1994: 9.6, 1997: 9.2,
                                2001: 7.0, 2005: 7.6, 2008: 6.0, 2010: 8.6,
                                2013: 9.4, 2019: 5.8, 2020: 6.8, 2022: 5.6,
                                2024: 5.5, 2026: 5.6, 2030: 5.4})

# Quarterly real GDP at annual rates: 2015Q1..Q4 around 1500 bn.
gq_rate = annual_to_quarterly(growth)
log_level = [0.0]
for r in gq_rate[1:]:
    log_level.append(log_level[-1] + r / 400)
scale = math.log(1500) - sum(log_level[100:104]) / 4   # 2015 averages 1500
gdpq = [math.exp(x + scale) for x in log_level]

iq_rate = annual_to_quarterly(inflation)
log_p = [0.0]
for r in iq_rate[1:]:
    log_p.append(log_p[-1] + r / 400)
pscale = math.log(100) - sum(log_p[100:104]) / 4
cpiq = [math.exp(x + pscale) for x in log_p]

rsq = annual_to_quarterly(policy)
urq = annual_to_quarterly(unemployment)


def trend_of(series, half=3):
    """Centred moving average of the logs; the ends are padded with the growth
    of the last (first) year, so the trend does not bend at the edges."""
    logs = [math.log(v) for v in series]
    g0, g1 = logs[1] - logs[0], logs[-1] - logs[-2]
    padded = ([logs[0] - g0 * k for k in range(half, 0, -1)] + logs
              + [logs[-1] + g1 * k for k in range(1, half + 1)])
    width = 2 * half + 1
    return [math.exp(sum(padded[i:i + width]) / width) for i in range(len(logs))]


def build_run(gdpq, cpiq, rsq, urq, extra):
    """Annual accounts around quarterly GDP, prices, rate and unemployment.

    extra holds the scenario's annual shocks: dgov (share of base GDP), pgdp_pct,
    rl_pp, and the demand split (cons_share, inv_share of the GDP change), and the
    base run's accounts for the deviations (None for the base itself).
    """
    gdpq = rnd(gdpq, 2)
    cpiq = rnd(cpiq, 2)
    rsq = rnd(rsq, 2)
    urq = rnd(urq, 2)
    gdp = quarterly_average(gdpq)
    cpi = quarterly_average(cpiq)
    rs = quarterly_average(rsq)
    ur = quarterly_average(urq)
    base = extra.get("base")
    if base is None:
        trend = trend_of(gdp)
        gap = [math.log(y / t) for y, t in zip(gdp, trend)]
        gov = [0.19 * t for t in trend]
        inv = [0.20 * y * (1 + 2.5 * g) for y, g in zip(gdp, gap)]
        cons = [0.58 * y * (1 + 0.4 * g) for y, g in zip(gdp, gap)]
        pgdp_infl = [i - 0.2 for i in inflation]
        log_d = [0.0]
        for r in pgdp_infl[1:]:
            log_d.append(log_d[-1] + r / 100)
        pgdp = [math.exp(x - log_d[25]) * 100 for x in log_d]     # 2015 = 100
        rl = [max(0.4, r + 1.6 - 0.1 * (r - 3)) for r in rs]
    else:
        dgdp = [a - b for a, b in zip(gdp, base["gdp"])]
        dgov = [s * y for s, y in zip(extra["dgov"], base["gdp"])]
        private = [d - g for d, g in zip(dgdp, dgov)]   # change of cons + inv + nx
        cons = [c + extra["cons_share"] * p for c, p in zip(base["cons"], private)]
        inv = [i + extra["inv_share"] * p for i, p in zip(base["inv"], private)]
        gov = [g + d for g, d in zip(base["gov"], dgov)]
        pgdp = [p * (1 + s / 100) for p, s in zip(base["pgdp"], extra["pgdp_pct"])]
        rl = [r + s for r, s in zip(base["rl"], extra["rl_pp"])]
    gdp = rnd(gdp, 4)
    cons = rnd(cons, 2)
    inv = rnd(inv, 2)
    gov = rnd(gov, 2)
    nx = [round(y - c - i - g, 4) for y, c, i, g in zip(gdp, cons, inv, gov)]
    run = {"gdp": gdp, "cons": cons, "inv": inv, "gov": gov, "nx": nx,
           "pgdp": rnd(pgdp, 2), "cpi": rnd(cpi, 4), "rs": rnd(rs, 4),
           "rl": rnd(rl, 2), "ur": rnd(ur, 4),
           "gdpq": gdpq, "cpiq": cpiq, "rsq": rsq, "urq": urq}
    return run


ZERO = [0.0] * NY
base = build_run(gdpq, cpiq, rsq, urq,
                 {"dgov": ZERO, "pgdp_pct": ZERO, "rl_pp": ZERO,
                  "cons_share": 0, "inv_share": 0})

# ------------------------------------------------------- fiscal stimulus
# Government spending +1% of base GDP from 2025; multiplier near 0.9 at first,
# fading as prices and interest rates rise; unemployment falls.
f_gdp = shock_quarterly(shock_path([0.90, 0.80, 0.62, 0.48, 0.38, 0.32]))   # % of GDP
f_cpi = shock_quarterly(shock_path([0.08, 0.25, 0.42, 0.52, 0.58, 0.62]))   # % of level
f_rs = shock_quarterly(shock_path([0.20, 0.40, 0.50, 0.45, 0.40, 0.35]))    # points
f_ur = shock_quarterly(shock_path([-0.30, -0.35, -0.30, -0.24, -0.20, -0.16]))
fiscal = build_run([g * (1 + s / 100) for g, s in zip(gdpq, f_gdp)],
                   [c * (1 + s / 100) for c, s in zip(cpiq, f_cpi)],
                   [r + s for r, s in zip(rsq, f_rs)],
                   [u + s for u, s in zip(urq, f_ur)],
                   {"base": base,
                    "dgov": shock_path([0.01] * 6),
                    "pgdp_pct": shock_path([0.10, 0.30, 0.48, 0.58, 0.64, 0.68]),
                    "rl_pp": shock_path([0.15, 0.22, 0.25, 0.24, 0.22, 0.20]),
                    # the rest of the change: imports rise (nx falls), some crowding out
                    "cons_share": -0.45, "inv_share": -0.15})

# ------------------------------------------------- higher interest rate
# Policy rate one point higher from 2025, easing back; investment falls most.
r_gdp = shock_quarterly(shock_path([-0.18, -0.42, -0.52, -0.48, -0.40, -0.32]))
r_cpi = shock_quarterly(shock_path([-0.04, -0.14, -0.28, -0.38, -0.44, -0.48]))
r_rs = shock_quarterly(shock_path([1.00, 1.00, 0.90, 0.75, 0.60, 0.50]))
r_ur = shock_quarterly(shock_path([0.08, 0.22, 0.32, 0.34, 0.30, 0.25]))
rates = build_run([g * (1 + s / 100) for g, s in zip(gdpq, r_gdp)],
                  [c * (1 + s / 100) for c, s in zip(cpiq, r_cpi)],
                  [r + s for r, s in zip(rsq, r_rs)],
                  [u + s for u, s in zip(urq, r_ur)],
                  {"base": base,
                   "dgov": ZERO,
                   "pgdp_pct": shock_path([-0.05, -0.16, -0.30, -0.40, -0.46, -0.50]),
                   "rl_pp": shock_path([0.45, 0.42, 0.38, 0.32, 0.27, 0.22]),
                   # the fall in demand: consumption 45%, investment 70%, imports -15%
                   "cons_share": 0.45, "inv_share": 0.70})

TITLES = {
    "base": "Base forecast, autumn 2025",
    "fiscal": "Fiscal stimulus: government spending +1% of GDP",
    "rates": "Tighter money: policy rate +1 point",
}
ANNUAL = ["gdp", "cons", "inv", "gov", "nx", "pgdp", "cpi", "rs", "rl", "ur"]
QUARTERLY = ["gdpq", "cpiq", "rsq", "urq"]


def fmt(v):
    text = ("%.4f" % v).rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def write_csv(path, title, run):
    """The bank tool's CSV layout (README, "The bank tool"): settings rows, then the
    heading row and one row per series from observation 0. Observation 0 is 1990 for
    the annual series and 1990Q1 for the quarterly ones; the bank holds 164
    observations per series, so an annual row simply ends after its 41 values."""
    lines = ["title," + ('"%s"' % title if "," in title else title),
             "base year,%d" % FIRST,
             "first month,1",
             "observations,%d" % NQ,
             "name,frequency," + ",".join(str(i) for i in range(1, NQ + 1))]
    for name in ANNUAL:
        lines.append(name + ",1," + ",".join(fmt(v) for v in run[name]))
    for name in QUARTERLY:
        lines.append(name + ",4," + ",".join(fmt(v) for v in run[name]))
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(here, "data"), exist_ok=True)
    for name, run in (("base", base), ("fiscal", fiscal), ("rates", rates)):
        write_csv(os.path.join(here, "data", name + ".csv"), TITLES[name], run)
