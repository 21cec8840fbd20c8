#!/usr/bin/env python3
"""PNG chart of a bench_vml run: for each size, grouped bars of the clocks
per element of every variant of every function (log scale), so our kernels
stand next to libm, libmvec, SLEEF, the plain loop and memcpy.

usage: plot.py RUN.json -o CHART.png [--metric tsc|cputsc|cpu|real] [--filter REGEX] [--n N ...]
"""
import argparse
import os
import re
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ratios import BASELINES, METRICS, OURS, UNITS, load  # noqa: E402

COLOURS = {
    "idx1": "#1f5fa8", "idx2": "#6fa8dc", "libm": "#999999", "libmvec": "#d95f02",
    "sleef_u10": "#1b9e77", "sleef_u35": "#66c2a5", "sleef": "#1b9e77",
    "plain": "#7570b3", "memcpy": "#444444",
}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("run", help="JSON output of bench_vml")
    ap.add_argument("-o", "--output", required=True, help="PNG file to write")
    ap.add_argument("--metric", choices=METRICS, default="tsc", help="as in ratios.py (default tsc)")
    ap.add_argument("--filter", default="", help="only functions matching this regular expression")
    ap.add_argument("--n", type=int, nargs="*", help="sizes to plot (default: every size of the run)")
    args = ap.parse_args()

    _, results, order = load(args.run, args.metric)
    pick = re.compile(args.filter)
    order = [(fn, n) for fn, n in order if pick.search(fn) and (not args.n or n in args.n)]
    if not order:
        sys.exit("plot.py: nothing to plot")
    sizes = sorted({n for _, n in order})
    functions = list(dict.fromkeys(fn for fn, _ in order))
    variants = [v for v in OURS + BASELINES if any(k[2] == v for k in results)]
    unit = UNITS[args.metric].replace(" per element", " / element")

    # Each function's bars are centred on its tick, with no gaps for the
    # variants it was not measured with.
    most = max(sum((fn, n, v) in results for v in variants) for fn, n in order)
    width = 0.8 / most
    fig, axes = plt.subplots(len(sizes), 1, squeeze=False,
                             figsize=(max(8.0, 0.3 * len(functions) * most / 2 + 2), 3.2 * len(sizes)))
    for ax, n in zip(axes[:, 0], sizes):
        labelled = set()
        for i, fn in enumerate(functions):
            present = [v for v in variants if (fn, n, v) in results and results[(fn, n, v)].cost > 0]
            for j, v in enumerate(present):
                ax.bar(i + (j - (len(present) - 1) / 2) * width, results[(fn, n, v)].cost, width,
                       color=COLOURS.get(v), label=None if v in labelled else v)
                labelled.add(v)
        ax.set_yscale("log")
        ax.set_ylabel(unit)
        ax.set_title(f"n = {n:,}")
        ax.set_xticks(range(len(functions)))
        ax.set_xticklabels(functions, rotation=60, ha="right", fontsize=8)
        ax.set_xlim(-0.6, len(functions) - 0.4)
        ax.grid(axis="y", which="both", alpha=0.3)
    handles, labels = axes[0, 0].get_legend_handles_labels()
    ranked = sorted(zip(handles, labels), key=lambda hl: variants.index(hl[1]))
    fig.legend([h for h, _ in ranked], [lab for _, lab in ranked], ncol=len(variants), fontsize=8,
               loc="upper center")
    fig.tight_layout(rect=(0, 0, 1, 0.95))
    fig.savefig(args.output, dpi=110)


if __name__ == "__main__":
    main()
