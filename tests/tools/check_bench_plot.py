#!/usr/bin/env python3
"""bench/plot.py on made-up runs: functions fall into their families, the
speed-ups are baseline / ours (per byte against memcpy), the median
aggregate of a repeated run wins over single runs, wall-clock runs use the
wall time, libvsip-tv pairs and the convolution text are read, and the
charts stay within 1600 pixels of width.  Exits 77 (skipped) without
matplotlib."""
import json
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "bench"))
try:
    import plot  # noqa: E402
except ImportError as e:
    print(f"skipped: {e}")
    sys.exit(77)

failures = []


def check(what, cond):
    if not cond:
        failures.append(what)


def near(a, b):
    return a is not None and abs(a - b) <= 1e-9 * max(1.0, abs(b))


FAMILY_CASES = [
    ("vsExp", "exp and log"),
    ("vdLog10", "exp and log"),
    ("vsPowx", "powers and roots"),
    ("vdCbrt", "powers and roots"),
    ("vsSin@1e4", "trigonometric"),
    ("vdSinCos", "trigonometric"),
    ("vsAtan2_sv", "inverse trigonometric"),
    ("vdAsinh", "hyperbolic"),
    ("vsAdd", plot.ARITHMETIC),
    ("vzSub", plot.ARITHMETIC),
]
for fn, family in FAMILY_CASES:
    check(f"family of {fn}: {plot.family_of(fn)}", plot.family_of(fn) == family)


def vml_run(entries):
    """bench_vml JSON: (name, tsc per element, bytes per element)."""
    return {"context": {}, "benchmarks": [
        {"name": name, "run_name": name, "run_type": "iteration", "real_time": 1.0, "cpu_time": 1.0,
         "time_unit": "ns", "tsc_per_elem": tsc, "bytes_per_elem": nbytes, "label": ""}
        for name, tsc, nbytes in entries]}


# (benchmark entries, function, expected {baseline: speed-up} at n = 1000)
VML_CASES = [
    ([("vsExp/idx1/1000", 2.0, 8), ("vsExp/libm/1000", 20.0, 8), ("vsExp/libmvec/1000", 3.0, 8),
      ("vsExp/sleef_u10/1000", 4.0, 8)],
     "vsExp", {"libm": 10.0, "libmvec": 1.5, "sleef_u10": 2.0}),
    # SLEEF without a u10/u35 split counts as its u10 figure; absent baselines stay absent.
    ([("vsAsinh/idx1/1000", 5.0, 8), ("vsAsinh/sleef/1000", 2.5, 8)], "vsAsinh", {"sleef_u10": 0.5}),
    # Against memcpy per byte moved: 12 bytes in 3 clocks against 8 bytes in 1 clock.
    ([("vsAdd/idx1/1000", 3.0, 12), ("vsAdd/memcpy/1000", 1.0, 8), ("vsAdd/plain/1000", 6.0, 12)],
     "vsAdd", {"memcpy": 0.5, "plain": 2.0}),
    # Another size and the index-2 kernel do not enter the n = 1000 figures.
    ([("vdSin/idx1/1000", 1.0, 16), ("vdSin/idx2/1000", 9.0, 16), ("vdSin/libm/1000", 8.0, 16),
      ("vdSin/libm/10000000", 99.0, 16)], "vdSin", {"libm": 8.0}),
]

with tempfile.TemporaryDirectory() as tmp:
    for entries, fn, want in VML_CASES:
        path = os.path.join(tmp, "vml.json")
        with open(path, "w") as f:
            json.dump(vml_run(entries), f)
        _, results, order = plot.load(path, "tsc")
        groups = plot.vml_speedups(results, order, 1000)
        got = dict(next((ups for rows in groups.values() for name, ups in rows if name == fn), {}))
        check(f"{fn}: speed-ups {got}, want {want}",
              got.keys() == want.keys() and all(near(got[k], v) for k, v in want.items()))

    # Google Benchmark runs: (entries, name, expected seconds... in ns)
    def gb(name, cpu, real, unit="us", run_type="iteration", aggregate=None, run_name=None):
        run = {"name": name, "run_name": run_name or name, "run_type": run_type, "cpu_time": cpu,
               "real_time": real, "time_unit": unit}
        if aggregate:
            run["aggregate_name"] = aggregate
        return run

    GBENCH_CASES = [
        ("processor time, unit converted", [gb("A/8", 2.0, 5.0)], "A/8", 2000.0),
        ("wall time for real_time runs", [gb("B/1/real_time", 2.0, 5.0, "ms")], "B/1/real_time", 5e6),
        ("median aggregate over the repetitions",
         [gb("C/8", 1.0, 1.0), gb("C/8", 9.0, 9.0),
          gb("C/8_median", 4.0, 4.0, run_type="aggregate", aggregate="median", run_name="C/8"),
          gb("C/8_mean", 7.0, 7.0, run_type="aggregate", aggregate="mean", run_name="C/8")], "C/8", 4000.0),
        ("median of single runs", [gb("D/8", 1.0, 1.0), gb("D/8", 3.0, 3.0), gb("D/8", 8.0, 8.0)],
         "D/8", 3000.0),
    ]
    for what, runs, name, want in GBENCH_CASES:
        path = os.path.join(tmp, "g.json")
        with open(path, "w") as f:
            json.dump({"benchmarks": runs}, f)
        got = plot.gbench_times(path).get(name)
        check(f"{what}: {got}, want {want}", near(got, want))

    # libvsip-tv directory: FFT pairs at two sizes (one without its
    # baseline), products, and the convolution text.
    vsip = os.path.join(tmp, "vsip")
    os.mkdir(vsip)
    with open(os.path.join(vsip, "fft.json"), "w") as f:
        json.dump({"benchmarks": [gb("BM_bare_c2c/1024", 9.0, 9.0), gb("BM_ccfftop<interleaved>/1024", 10.0, 10.0),
                                  gb("BM_ccfftop<interleaved>/256", 1.0, 1.0)]}, f)
    with open(os.path.join(vsip, "products.json"), "w") as f:
        json.dump({"benchmarks": [gb("BM_bare_sgemm/256", 3.0, 3.0, "ms"), gb("BM_mprod/256/1", 2.0, 2.0, "ms")]}, f)
    with open(os.path.join(vsip, "conv.txt"), "w") as f:
        f.write("numpy 1.24, scipy 1.10\n"
                "operation           N x M       ours create+run      numpy    fftconv     oaconv   ratio  fastest\n"
                "convolve          1000x20        4.0       10.0        6.0       30.0       40.0    0.67  numpy\n"
                "correlate      100000x500      200.0      900.0    20000.0      500.0      300.0    0.67  oaconvolve\n")
    panels = dict(plot.vsip_speedups(vsip))
    VSIP_CASES = [
        ("FFT vs bare FFTW execute", "ccfftop interleaved, n = 1,024", 0.9),
        ("matrix products vs bare CBLAS", "mprod, n = 256", 1.5),
        ("convolution vs fastest of numpy / scipy", "convolve 1000x20", 1.5),
        ("convolution vs fastest of numpy / scipy", "correlate 100000x500", 1.5),
    ]
    for family, label, want in VSIP_CASES:
        got = dict(panels.get(family, [])).get(label, {}).get("speed-up")
        check(f"{family} / {label}: {got}, want {want}", near(got, want))
    check("a size without its baseline is left out",
          all("n = 256" not in label for label, _ in panels.get("FFT vs bare FFTW execute", [])))

    # Both charts end up as PNGs no wider than 1600 pixels.
    path = os.path.join(tmp, "vml.json")
    with open(path, "w") as f:
        json.dump(vml_run([e for entries, _, _ in VML_CASES for e in entries]), f)
    script = os.path.join(ROOT, "bench", "plot.py")
    for args, png in (([path], "array.png"), (["--vsip", vsip], "vsip.png"), ([path, "--clocks"], "clocks.png")):
        out = os.path.join(tmp, png)
        p = subprocess.run([sys.executable, script, *args, "-o", out], capture_output=True, text=True)
        check(f"plot.py {' '.join(args[-1:])}: exit {p.returncode} {p.stderr[-300:]}", p.returncode == 0)
        if p.returncode == 0:
            with open(out, "rb") as f:
                head = f.read(24)
            width = int.from_bytes(head[16:20], "big")
            check(f"{png}: PNG {width} px wide", head[:8] == b"\x89PNG\r\n\x1a\n" and 0 < width <= 1600)

for f in failures:
    print("FAIL:", f)
print(f"{len(FAMILY_CASES) + len(VML_CASES) + len(GBENCH_CASES) + len(VSIP_CASES) + 4 - len(failures)} passed, "
      f"{len(failures)} failed")
sys.exit(1 if failures else 0)
