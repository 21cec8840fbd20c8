#!/usr/bin/env python3
"""PNG charts and Markdown summaries of benchmark runs.

Array functions (a bench_vml JSON run):
  plot.py RUN.json -o CHART.png [--n N] [--metric M] [--filter REGEX]
      one panel per family of functions, one group of bars per function:
      the speed-up of the index-1 kernel over the scalar libm loop, libmvec
      and SLEEF (baseline time / our time, log scale; right of the 1.0 line
      we are faster), sorted by the speed-up over libmvec.  Arithmetic
      functions are set against the plain -O3 loop and memcpy (per byte).
  plot.py RUN.json -o CHART.png --clocks [--n N ...]
      grouped bars of the clocks per element of every variant (log scale).

libvsip-tv (Google Benchmark JSON of bench/vsip/*, conv_vs_numpy.py output):
  plot.py --vsip DIR -o CHART.png
      reads DIR/fft.json, products.json, elementwise.json, fir.json and conv.txt
      (whichever exist): speed-up of the library over bare FFTW, bare
      CBLAS, the bare array function or plain loop, and the fastest of
      numpy/scipy, one panel per family.

Either form takes --markdown FILE: rows of a summary table for the README,
the median and range of the speed-ups per family (and per baseline).
"""
import argparse
import json
import os
import re
import statistics
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ratios import BASELINES, METRICS, OURS, TIME_UNITS, UNITS, load, ratio  # noqa: E402

COLOURS = {
    "idx1": "#1f5fa8", "idx2": "#6fa8dc", "libm": "#999999", "libmvec": "#d95f02",
    "sleef_u10": "#1b9e77", "sleef_u35": "#66c2a5", "sleef": "#1b9e77",
    "plain": "#7570b3", "memcpy": "#444444", "speed-up": "#1f5fa8",
}
LABELS = {"libm": "scalar libm loop", "libmvec": "libmvec (AVX2)", "sleef_u10": "SLEEF u10 (AVX2)",
          "sleef": "SLEEF (AVX2)", "plain": "plain -O3 loop", "memcpy": "memcpy (per byte)"}
WIDTH_IN, DPI = 16.0, 100  # charts at most 1600 px wide

# Families of array functions, by the name without its v[sdcz] prefix,
# range suffix (@1e4) and short-vector marker (_sv).
FAMILIES = (
    ("exp and log", r"^(Exp|Exp2|Exp10|Expm1|Ln|Log10|Log2|Log1p)$"),
    ("powers and roots", r"^(Pow|Powx|Cbrt|Sqrt|InvSqrt|Hypot|Sqr)$"),
    ("trigonometric", r"^(Sin|Cos|SinCos|Tan)$"),
    ("inverse trigonometric", r"^(Asin|Acos|Atan|Atan2)$"),
    ("hyperbolic", r"^(Sinh|Cosh|Tanh|Asinh|Acosh|Atanh)$"),
)
ARITHMETIC = "arithmetic (vs plain loop, memcpy)"


def family_of(fn):
    base = re.sub(r"^v[sdcz]", "", fn.split("@")[0])
    base = re.sub(r"_sv$", "", base)
    for name, pattern in FAMILIES:
        if re.match(pattern, base):
            return name
    return ARITHMETIC


def vml_speedups(results, order, n):
    """{family: [(function, {baseline: speed-up})]} of the index-1 kernel at size n."""
    out = {}
    for fn, size in order:
        ours = results.get((fn, size, "idx1"))
        if size != n or ours is None:
            continue
        family = family_of(fn)
        wanted = ("plain", "memcpy") if family == ARITHMETIC else ("libm", "libmvec", "sleef_u10", "sleef")
        ups = {}
        for b in wanted:
            base = results.get((fn, n, b))
            r = ratio(ours, base) if base else None
            if r:
                ups["sleef_u10" if b == "sleef" else b] = 1.0 / r
        if ups:
            out.setdefault(family, []).append((fn, ups))
    return out


def hbar_panel(ax, title, rows, series, sort_key):
    """Horizontal grouped bars: rows = [(label, {series: speed-up})]."""
    rows = sorted(rows, key=lambda r: r[1].get(sort_key, min(r[1].values())))
    present = [s for s in series if any(s in r[1] for r in rows)]
    height = 0.8 / max(1, len(present))
    for i, (_, ups) in enumerate(rows):
        for j, s in enumerate(present):
            if s in ups:
                ax.barh(i + (j - (len(present) - 1) / 2) * height, ups[s], height,
                        color=COLOURS.get(s), label=LABELS.get(s, s))
                if len(present) == 1:
                    ax.text(ups[s] * 1.02, i, f"{ups[s]:.2f}", va="center", fontsize=7)
    ax.set_yticks(range(len(rows)))
    ax.set_yticklabels([r[0] for r in rows], fontsize=8)
    ax.set_ylim(-0.6, len(rows) - 0.4)
    ax.set_xscale("log")
    values = [v for _, ups in rows for v in ups.values()]
    lo, hi = min(values + [1.0]), max(values + [1.0])
    ax.set_xlim(lo / 1.4, hi * 1.4)
    ax.axvline(1.0, color="black", linewidth=1.2)
    ax.grid(axis="x", which="both", alpha=0.3)
    ticks = (0.5, 0.6, 0.7, 0.8, 1, 1.2, 1.5, 2, 3) if hi / lo < 4 else \
        (0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100)
    ax.set_xticks([t for t in ticks if lo / 1.4 <= t <= hi * 1.4])
    ax.xaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(lambda v, _: f"{v:g}x"))
    ax.xaxis.set_minor_formatter(matplotlib.ticker.NullFormatter())
    ax.set_title(title, fontsize=10)


def legend(fig, axes):
    seen = {}
    for ax in axes:
        for h, lab in zip(*ax.get_legend_handles_labels()):
            seen.setdefault(lab, h)
    fig.legend(list(seen.values()), list(seen), ncol=len(seen), fontsize=9, loc="upper center",
               bbox_to_anchor=(0.5, 0.965))


def grid(panels):
    cols = 3 if len(panels) > 4 else min(2, len(panels))
    rows = -(-len(panels) // cols)
    # Inches per panel row: the tallest panel's bars (0.1 in per bar of a
    # group, plus the gap), the title and the axis.
    heights = [0.9 + max(len(p[1]) * (0.1 + 0.1 * p[2]) for p in panels[r * cols:(r + 1) * cols])
               for r in range(rows)]
    fig, axes = plt.subplots(rows, cols, squeeze=False, figsize=(WIDTH_IN, 1.2 + sum(heights)),
                             gridspec_kw={"height_ratios": heights})
    flat = list(axes.flat)
    for ax in flat[len(panels):]:
        ax.set_visible(False)
    return fig, flat[:len(panels)]


def vml_chart(args):
    context, results, order = load(args.run, args.metric)
    pick = re.compile(args.filter)
    order = [(fn, n) for fn, n in order if pick.search(fn)]
    if not order:
        sys.exit("plot.py: nothing to plot")
    if args.clocks:
        return clocks_chart(args, results, order)
    n = args.n[0] if args.n else min(size for _, size in order)
    groups = vml_speedups(results, order, n)
    names = [f for f, _ in FAMILIES] + [ARITHMETIC]
    panels = [(f, groups[f], 2 if f == ARITHMETIC else 3) for f in names if f in groups]
    if not panels:
        sys.exit("plot.py: no index-1 kernel with a baseline at n = %d" % n)
    fig, axes = grid(panels)
    for ax, (title, rows, _) in zip(axes, panels):
        series = ("plain", "memcpy") if title == ARITHMETIC else ("libm", "libmvec", "sleef_u10")
        hbar_panel(ax, title, rows, series, "plain" if title == ARITHMETIC else "libmvec")
    legend(fig, axes)
    fig.suptitle(f"dazaro-tv array functions, n = {n:,}: speed-up of the index-1 kernel "
                 f"(baseline time / ours; right of 1.0: ours faster)", fontsize=12, y=0.995)
    fig.tight_layout(rect=(0, 0, 1, 0.94))
    fig.savefig(args.output, dpi=DPI)
    if args.markdown:
        write_summary(args.markdown, vml_summary(groups, n))


def clocks_chart(args, results, order):
    """Clocks per element of every variant, grouped per function."""
    order = [(fn, n) for fn, n in order if not args.n or n in args.n]
    sizes = sorted({n for _, n in order})
    functions = list(dict.fromkeys(fn for fn, _ in order))
    variants = [v for v in OURS + BASELINES if any(k[2] == v for k in results)]
    unit = UNITS[args.metric].replace(" per element", " / element")
    most = max(sum((fn, n, v) in results for v in variants) for fn, n in order)
    width = 0.8 / most
    fig, axes = plt.subplots(len(sizes), 1, squeeze=False, figsize=(WIDTH_IN, 3.2 * len(sizes) + 1))
    for ax, n in zip(axes[:, 0], sizes):
        for i, fn in enumerate(functions):
            present = [v for v in variants if (fn, n, v) in results and results[(fn, n, v)].cost > 0]
            for j, v in enumerate(present):
                ax.bar(i + (j - (len(present) - 1) / 2) * width, results[(fn, n, v)].cost, width,
                       color=COLOURS.get(v), label=v)
        ax.set_yscale("log")
        ax.set_ylabel(unit)
        ax.set_title(f"n = {n:,}")
        ax.set_xticks(range(len(functions)))
        ax.set_xticklabels(functions, rotation=90, fontsize=6)
        ax.set_xlim(-0.6, len(functions) - 0.4)
        ax.grid(axis="y", which="both", alpha=0.3)
    legend(fig, axes[:, 0])
    fig.tight_layout(rect=(0, 0, 1, 0.94))
    fig.savefig(args.output, dpi=DPI)


def spread(values):
    values = sorted(values)
    return f"{statistics.median(values):.2f}x ({values[0]:.2f}-{values[-1]:.2f})"


VML_SUMMARY_SERIES = ("libm", "libmvec", "sleef_u10", "plain", "memcpy")


def vml_summary(groups, n):
    """Rows: family, functions, then the median (range) of each baseline."""
    rows = []
    for family in [f for f, _ in FAMILIES] + [ARITHMETIC]:
        entries = groups.get(family)
        if not entries:
            continue
        cells = [spread([ups[s] for _, ups in entries if s in ups]) if any(s in ups for _, ups in entries)
                 else "" for s in VML_SUMMARY_SERIES]
        rows.append([family.split(" (")[0], str(len(entries))] + cells)
    return rows


# ---------------------------------------------------------------- libvsip-tv

FFT_PAIRS = [
    ("ccfftop interleaved", "BM_ccfftop<interleaved>/{n}", "BM_bare_c2c/{n}"),
    ("ccfftop split", "BM_ccfftop<library_split>/{n}", "BM_bare_c2c/{n}"),
    ("ccfftip interleaved", "BM_ccfftip<interleaved>/{n}", "BM_bare_c2c/{n}"),
    ("rcfftop interleaved", "BM_rcfftop<interleaved>/{n}", "BM_bare_r2c/{n}"),
]
PRODUCT_PAIRS = [
    ("mprod", "BM_mprod/{n}/1", "BM_bare_sgemm/{n}"),
    ("cmprod interleaved", "BM_cmprod/{n}/1", "BM_bare_cgemm/{n}"),
    ("cmprod split", "BM_cmprod/{n}/0", "BM_bare_cgemm/{n}"),
]
ELEMENTWISE_PAIRS = [
    ("vadd / vsAdd", "BM_vsip_vadd_f/{n}", "BM_bare_vsAdd/{n}"),
    ("vmul / plain loop", "BM_vsip_vmul_f/{n}", "BM_plain_mul/{n}"),
    ("vadd stride 2 / plain loop", "BM_vsip_vadd_f_stride2/{n}", "BM_plain_add_stride2/{n}"),
]
FIR_PAIRS = [
    ("firflt, M taps", "BM_firflt_f/{n}", "BM_double_loop_real/{n}"),
    ("cfirflt, M taps", "BM_cfirflt_f/{n}", "BM_double_loop_complex/{n}"),
]
VSIP_FAMILIES = (
    ("FFT vs bare FFTW execute", "fft.json", FFT_PAIRS),
    ("matrix products vs bare CBLAS", "products.json", PRODUCT_PAIRS),
    ("element-wise vs bare array call / loop", "elementwise.json", ELEMENTWISE_PAIRS),
    ("FIR vs plain double-precision loop", "fir.json", FIR_PAIRS),
)


def gbench_times(path):
    """Time per iteration of every run of a Google Benchmark JSON file by
    name: the median aggregate when there are repetitions; processor time,
    or wall time for runs timed by the wall clock."""
    with open(path) as f:
        doc = json.load(f)
    plain, medians = {}, {}
    for run in doc.get("benchmarks", []):
        name = run.get("run_name", run["name"])
        key = "real_time" if "/real_time" in name else "cpu_time"
        t = run[key] * TIME_UNITS[run.get("time_unit", "ns")]
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[name] = t
        else:
            plain.setdefault(name, []).append(t)
    times = {k: statistics.median(v) for k, v in plain.items()}
    times.update(medians)
    return times


def sizes_of(times, pattern):
    rx = re.compile("^" + re.escape(pattern).replace(re.escape("{n}"), r"(\d+)") + "$")
    return sorted({int(m[1]) for m in map(rx.match, times) if m})


def vsip_speedups(directory):
    """[(family, [(label, {"speed-up": x})])] for every family with results."""
    panels = []
    for title, file, pairs in VSIP_FAMILIES:
        path = os.path.join(directory, file)
        if not os.path.exists(path):
            continue
        times = gbench_times(path)
        rows = []
        for label, lib, base in pairs:
            for n in sizes_of(times, lib):
                lt, bt = times.get(lib.format(n=n)), times.get(base.format(n=n))
                if lt and bt:
                    size = f"M = {n}" if "M taps" in label else f"n = {n:,}"
                    rows.append((f"{label.replace(', M taps', '')}, {size}", {"speed-up": bt / lt}))
        if rows:
            panels.append((title, rows))
    conv = os.path.join(directory, "conv.txt")
    if os.path.exists(conv):
        rows = []
        line = re.compile(r"^(convolve|correlate)\s+(\d+x\d+)\s+([\d.]+)\s+[\d.]+\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)")
        with open(conv) as f:
            for text in f:
                m = line.match(text)
                if m:
                    ours, peers = float(m[3]), [float(m[i]) for i in (4, 5, 6)]
                    rows.append((f"{m[1]} {m[2]}", {"speed-up": min(peers) / ours}))
        if rows:
            panels.append(("convolution vs fastest of numpy / scipy", rows))
    return panels


def vsip_chart(args):
    panels = vsip_speedups(args.vsip)
    if not panels:
        sys.exit(f"plot.py: no libvsip-tv results in {args.vsip}")
    fig, axes = grid([(t, rows, 1) for t, rows in panels])
    for ax, (title, rows) in zip(axes, panels):
        hbar_panel(ax, title, rows, ("speed-up",), "speed-up")
    fig.suptitle("libvsip-tv: speed-up over the baseline on the same data (baseline time / ours; "
                 "right of 1.0: ours faster)", fontsize=12, y=0.995)
    fig.tight_layout(rect=(0, 0, 1, 0.96))
    fig.savefig(args.output, dpi=DPI)
    if args.markdown:
        write_summary(args.markdown, [title.split(" vs ", 1) + [str(len(rows)),
                                                                spread([ups["speed-up"] for _, ups in rows])]
                                      for title, rows in panels])


def write_summary(path, rows):
    with open(path, "w") as f:
        for r in rows:
            f.write("| " + " | ".join(r) + " |\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("run", nargs="?", help="JSON output of bench_vml")
    ap.add_argument("-o", "--output", required=True, help="PNG file to write")
    ap.add_argument("--vsip", metavar="DIR", help="directory of libvsip-tv results (see above)")
    ap.add_argument("--metric", choices=METRICS, default="tsc", help="as in ratios.py (default tsc)")
    ap.add_argument("--filter", default="", help="only functions matching this regular expression")
    ap.add_argument("--n", type=int, nargs="*", help="size(s) to plot (default: the smallest of the run)")
    ap.add_argument("--clocks", action="store_true", help="clocks per element instead of speed-ups")
    ap.add_argument("--markdown", metavar="FILE", help="also write summary table rows to FILE")
    args = ap.parse_args()
    if args.vsip:
        vsip_chart(args)
    elif args.run:
        vml_chart(args)
    else:
        ap.error("give a bench_vml JSON run or --vsip DIR")


if __name__ == "__main__":
    main()
