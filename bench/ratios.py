#!/usr/bin/env python3
"""Ratio tables of a bench_vml run (--benchmark_format=json or --benchmark_out).

For each array function and size, prints the clocks per element of every
variant measured, then our time divided by each baseline's time (below 1:
ours is faster).  "ours" is the kernel of index 1 (idx1) and, where it
differs, of index 2 (idx2), and for floor also the index-0 kernel (idx0).  Against memcpy the ratio is per byte moved
(our arrays read and written against memcpy's), so 1.0 means the same
bandwidth.

Metrics: tsc, the median iteration's time-stamp-counter clocks per element
(robust while most iterations run uninterrupted: n in L1 or L2); cputsc, the
thread's CPU time in time-stamp-counter clocks per element (robust on a
shared machine whatever the iteration length: n in memory); cpu and real,
Google Benchmark's own times in ns per element.

usage: ratios.py RUN.json [--metric tsc|cputsc|cpu|real] [--markdown] [--n N] [--ratios-only]
"""
import argparse
import json
import re
import statistics
import sys

OURS = ("idx0", "idx1", "idx2")
BASELINES = ("libm", "libmvec", "sleef_u10", "sleef_u35", "sleef", "plain", "memcpy")
NAME = re.compile(r"^(?P<fn>[^/]+)/(?P<variant>[^/]+)/(?P<n>\d+)$")
METRICS = ("tsc", "cputsc", "cpu", "real")
UNITS = {
    "tsc": "TSC clocks per element (median iteration)",
    "cputsc": "TSC clocks per element of thread CPU time",
    "cpu": "CPU ns per element",
    "real": "wall ns per element",
}
TIME_UNITS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


class Result:
    """One benchmark: a per-element cost in the chosen metric."""

    def __init__(self, fn, variant, n, label, cost, bytes_per_elem):
        self.fn, self.variant, self.n = fn, variant, n
        self.label, self.cost, self.bytes_per_elem = label, cost, bytes_per_elem


def cost_of(run, metric, n):
    if metric == "tsc":
        return run.get("tsc_per_elem")
    if metric == "cputsc":
        return run.get("cpu_tsc_per_elem")
    key = "cpu_time" if metric == "cpu" else "real_time"
    return run[key] * TIME_UNITS[run.get("time_unit", "ns")] / n


def load(path, metric):
    """Results keyed by (fn, n, variant), and the (fn, n) pairs in the run's
    order.  Uses the median aggregate when the run has repetitions, else the
    median of the plain runs."""
    with open(path) as f:
        doc = json.load(f)
    medians, plain, order = {}, {}, []
    for run in doc.get("benchmarks", []):
        m = NAME.match(run.get("run_name", run["name"]))
        if not m:
            continue
        key = (m["fn"], int(m["n"]), m["variant"])
        if key[:2] not in order:
            order.append(key[:2])
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[key] = run
        else:
            plain.setdefault(key, []).append(run)
    results = {}
    for key in set(medians) | set(plain):
        fn, n, variant = key
        if key in medians:
            run = medians[key]
            cost = cost_of(run, metric, n)
        else:
            runs = plain[key]
            run = runs[0]
            costs = [cost_of(r, metric, n) for r in runs]
            cost = statistics.median(costs) if None not in costs else None
        if cost is None:
            continue
        results[key] = Result(fn, variant, n, run.get("label", ""), cost, run.get("bytes_per_elem", 0.0))
    return doc.get("context", {}), results, order


def ratio(ours, base):
    if base.cost <= 0:
        return None
    if base.variant == "memcpy":
        if not ours.bytes_per_elem or not base.bytes_per_elem:
            return None
        return (ours.cost / ours.bytes_per_elem) / (base.cost / base.bytes_per_elem)
    return ours.cost / base.cost


def render(header, rows, markdown):
    if markdown:
        lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
        lines += ["| " + " | ".join(r) + " |" for r in rows]
        return "\n".join(lines)
    widths = [max(len(str(c)) for c in col) for col in zip(header, *rows)]
    fmt = lambda r: "  ".join(c.ljust(w) if i < 3 else c.rjust(w) for i, (c, w) in enumerate(zip(r, widths)))
    return "\n".join([fmt(header), "  ".join("-" * w for w in widths)] + [fmt(r) for r in rows])


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("run", help="JSON output of bench_vml")
    ap.add_argument("--metric", choices=METRICS, default="tsc", help="see above (default tsc)")
    ap.add_argument("--markdown", action="store_true", help="print Markdown tables")
    ap.add_argument("--n", type=int, help="only this size")
    ap.add_argument("--ratios-only", action="store_true", help="print the ratio table alone")
    args = ap.parse_args()

    context, results, order = load(args.run, args.metric)
    if args.n is not None:
        order = [(fn, n) for fn, n in order if n == args.n]
        results = {k: r for k, r in results.items() if k[1] == args.n}
    if not results:
        sys.exit("ratios.py: no bench_vml results in " + args.run)
    unit = UNITS[args.metric]
    variants = [v for v in OURS + BASELINES if any(k[2] == v for k in results)]
    baselines = [v for v in BASELINES if v in variants]

    cost_rows, ratio_rows = [], []
    for fn, n in order:
        kernels = [results[(fn, n, v)] for v in OURS if (fn, n, v) in results]
        label = " / ".join(k.label for k in kernels) or "-"
        cost_rows.append([fn, str(n), label] +
                         [f"{results[(fn, n, v)].cost:.3g}" if (fn, n, v) in results else "" for v in variants])
        for ours in kernels:
            cells = []
            for b in baselines:
                base = results.get((fn, n, b))
                r = ratio(ours, base) if base else None
                cells.append("" if r is None else f"{r:.2f}")
            ratio_rows.append([fn, str(n), f"{ours.variant} {ours.label}"] + cells)

    if args.ratios_only:
        print(render(["function", "n", "ours"] + baselines, ratio_rows, args.markdown))
        return
    for key in ("dazaro-tv", "libmvec", "sleef"):
        if key in context:
            print(f"{key}: {context[key]}")
    if "mhz_per_cpu" in context:
        print(f"cpu: {context.get('num_cpus', '?')} x {context['mhz_per_cpu']} MHz")
    print()
    print(f"{unit}, median of the repetitions")
    print(render(["function", "n", "kernel"] + variants, cost_rows, args.markdown))
    print()
    print("ours / baseline (below 1: ours faster; memcpy: per byte moved)")
    print(render(["function", "n", "ours"] + baselines, ratio_rows, args.markdown))


if __name__ == "__main__":
    main()
