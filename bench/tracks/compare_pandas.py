#!/usr/bin/env python3
"""Loading a full track store against pandas.read_csv (C engine) on the same data lines.

Generates a store of 21 ring-disk tracks x 20001 points as the program writes it, and a file of
just its data lines; times our loader (bench_tracks BM_LoadGivenFile) and pandas, and prints the
ratio. Benchmark-only dependency: Debian's python3-pandas.

    python3 bench/tracks/compare_pandas.py [--build build]
"""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time

TRACKS, POINTS = 21, 20001


def current(x):
    """The program's "0.0###e+0" pattern: five significant digits, at least one after the point."""
    if x == 0:
        return "0.0e+0"
    mant, exp = f"{x:.4e}".split("e")
    mant = mant.rstrip("0")
    if mant.endswith("."):
        mant += "0"
    e = int(exp)
    return f"{mant}e{'-' if e < 0 else '+'}{abs(e)}"


def generate(tvd, lines_only):
    kl = "".join(f"{k}=" + " 0" * TRACKS + "\r\n" for k in (
        "KLUseFlag", "KLNStart", "KLNEnd", "KLBaseMode", "KLBaseTrack", "KLBaseNEnd", "KLSubVal"))
    with open(tvd, "w", newline="") as f, open(lines_only, "w", newline="") as g:
        f.write("TERVO File\r\n" + kl)
        for t in range(TRACKS):
            f.write(f"DataNum= {t} \r\nMode= 2 \r\nTitle=ORR 1600 rpm {t}\r\nMeasTime=\r\n"
                    f"RPM= 1600 \r\npnum= {POINTS} \r\nTable\r\n")
            rows = []
            for i in range(POINTS):
                e = 0.8 - i / POINTS
                disk = -5.2e-4 / (1 + math.exp((e - 0.35) / 0.03)) + 1e-7 * math.sin(i)
                ring = 3.1e-5 / (1 + math.exp((e - 0.3) / 0.04))
                rows.append(f"{e:.4f}\t{current(disk)}\t{current(ring)}\r\n")
            block = "".join(rows)
            f.write(block)
            g.write(block)


def ours(build, tvd):
    exe = os.path.join(build, "bin", "bench_tracks")
    out = subprocess.run([exe, "--benchmark_filter=BM_LoadGivenFile", "--benchmark_format=json"],
                         env=dict(os.environ, TERVO_BENCH_FILE=tvd), check=True,
                         capture_output=True, text=True).stdout
    run = json.loads(out)["benchmarks"][0]
    if run.get("error_occurred"):
        sys.exit("bench_tracks: " + run.get("error_message", "failed"))
    if int(run["points"]) != TRACKS * POINTS:
        sys.exit(f"bench_tracks read {run['points']} points, not {TRACKS * POINTS}")
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run["time_unit"]]
    return run["real_time"] * scale


def pandas_ms(lines_only, repeats):
    import pandas as pd
    times = []
    for _ in range(repeats):
        t0 = time.perf_counter()
        frame = pd.read_csv(lines_only, sep="\t", header=None, engine="c")
        times.append((time.perf_counter() - t0) * 1e3)
        assert frame.shape == (TRACKS * POINTS, 3)
    return statistics.median(times)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--repeats", type=int, default=15)
    args = ap.parse_args()
    try:
        import pandas  # noqa: F401
    except ImportError:
        sys.exit("pandas is missing: apt-get install python3-pandas, then run with /usr/bin/python3")
    with tempfile.TemporaryDirectory() as d:
        tvd, lines_only = os.path.join(d, "full.tvd"), os.path.join(d, "lines.tsv")
        generate(tvd, lines_only)
        print(f"file: {os.path.getsize(tvd) / 1e6:.1f} MB, data lines: "
              f"{os.path.getsize(lines_only) / 1e6:.1f} MB")
        p = pandas_ms(lines_only, args.repeats)
        t = ours(args.build, tvd)
        print(f"pandas.read_csv (C engine): {p:.1f} ms (median of {args.repeats})")
        print(f"loadTrackFile:              {t:.1f} ms (mean, Google Benchmark)")
        print(f"ratio: {p / t:.1f}x")


if __name__ == "__main__":
    main()
