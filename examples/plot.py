#!/usr/bin/env python3
"""Draws an example's plot data (written with --plot FILE) as a PNG.

usage: plot.py radar|fftm|random|fir DATA PNG
"""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402


def rows(path):
    with open(path) as f:
        lines = [line for line in f if not line.startswith("#")]
    return list(csv.DictReader(lines))


def notes(path):
    with open(path) as f:
        return [line[1:].split() for line in f if line.startswith("#")]


def radar(data, ax):
    r = rows(data)
    ax.plot([float(x["range_m"]) / 1e3 for x in r], [float(x["magnitude"]) for x in r], lw=0.6, label="matched filter output")
    for note in notes(data):
        if note[0] == "threshold":
            ax.axhline(float(note[1]), color="grey", ls="--", lw=0.8, label="threshold")
        elif note[0] == "planted":
            ax.axvline(float(note[1]) / 1e3, color="green", ls=":", lw=0.8)
        elif note[0] == "detected":
            ax.plot(float(note[1]) / 1e3, float(note[2]), "rv")
    ax.set_xlabel("range (km)")
    ax.set_ylabel("magnitude")
    ax.set_title("Pulse compression: detections (red) at the planted targets (green)")
    ax.legend()


def fftm(data, ax):
    r = rows(data)
    threads = [int(x["threads"]) for x in r]
    ax.plot(threads, [float(x["speedup"]) for x in r], "o-", label="measured")
    ax.plot(threads, threads, "--", color="grey", label="linear")
    ax.set_xlabel("OpenMP threads")
    ax.set_ylabel("speed-up over 1 thread")
    ax.set_xticks(threads)
    ax.set_title("Multiple FFT, rows of a complex matrix")
    ax.legend()


def random(data, ax):
    r = rows(data)
    lo = [float(x["lo"]) for x in r]
    width = [float(x["hi"]) - float(x["lo"]) for x in r]
    ax.bar(lo, [float(x["count"]) for x in r], width=width, align="edge", alpha=0.6, label="vsip_cvrandn_f, real parts")
    ax.plot([a + w / 2 for a, w in zip(lo, width)], [float(x["expected"]) for x in r], "k.-", label="exact: 3 - sum of 6 uniforms")
    ax.set_xlabel("value")
    ax.set_ylabel("count")
    ax.set_title("Histogram (vsip_vhisto_f) of normal numbers")
    ax.legend()


def fir(data, ax):
    r = rows(data)
    freq = [float(x["freq_hz"]) for x in r]
    ax.plot(freq, [float(x["before_db"]) for x in r], lw=0.5, color="tab:grey", label="before")
    ax.plot(freq, [float(x["after_db"]) for x in r], lw=0.5, color="tab:blue", label="after")
    ax.plot(freq, [float(x["response_db"]) for x in r], lw=1.0, ls="--", color="black", label="filter response")
    for note in notes(data):
        if note[0] == "tone":
            f, before, after = (float(v) for v in note[1:4])
            ax.plot([f], [before], "o", mfc="none", color="black")
            ax.plot([f], [after], "v", color="tab:red")
            ax.annotate("%g Hz: %+.1f dB" % (f, after - before), (f, after), xytext=(8, -16), textcoords="offset points",
                        bbox=dict(boxstyle="round,pad=0.2", fc="white", ec="none", alpha=0.85))
        elif note[0] == "stopband":
            ax.axvspan(float(note[1]), max(freq), color="tab:red", alpha=0.06, label="stopband")
        elif note[0] == "attenuation":
            ax.axhline(-float(note[1]), color="tab:red", ls="--", lw=0.8, label="designed attenuation")
    ax.set_xlim(0, max(freq))
    ax.set_ylim(-160, 10)
    ax.set_xlabel("frequency (Hz)")
    ax.set_ylabel("level (dB)")
    ax.set_title("FIR low-pass: spectra before and after, tone levels before (o) and after (v)")
    ax.legend(loc="upper right")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("radar", "fftm", "random", "fir"):
        sys.exit(__doc__)
    kind, data, png = sys.argv[1:]
    fig, ax = plt.subplots(figsize=(9, 4.5))
    globals()[kind](data, ax)
    fig.tight_layout()
    fig.savefig(png, dpi=110)


if __name__ == "__main__":
    main()
