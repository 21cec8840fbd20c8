#!/usr/bin/env python3
"""Convolution and correlation of libvsip-tv against numpy and scipy.

Drives libvsip-tv.so through ctypes on float32 data (the same arrays for
every contender) and prints, per size N x M, the best time of each
contender and the ratio ours / fastest peer (below 1: ours is faster).
Peers: numpy.convolve / numpy.correlate (direct sums), and
scipy.signal.fftconvolve and scipy.signal.oaconvolve (correlation as the
convolution with the reversed reference).  Our objects are created once
per size, outside the timing (their creation transforms the kernel); the
"create+run" column times creation, one call and destruction together.

Usage: conv_vs_numpy.py BUILD_DIR [--sizes 1000x20,10000x100] [--hint time|space]
Run single-threaded for a like-for-like comparison (OMP_NUM_THREADS=1,
as scripts/bench-conv.sh does).
"""
import argparse
import ctypes
import os
import sys
import time

import numpy as np
import scipy.signal

DEFAULT_SIZES = "1000x20,10000x100,30000x200,100000x500,300000x1000,1000000x4096"


class Lib:
    def __init__(self, build):
        mode = ctypes.RTLD_GLOBAL
        # libvsip-tv resolves the vector math library, FFTW, CBLAS and libm
        # from the application: load them first, globally.
        for dep in ("libm.so.6", os.path.join(build, "vml", "libdazaro-tv.so"),
                    "libfftw3f.so.3", "libopenblas.so.0"):
            ctypes.CDLL(dep, mode=mode)
        v = ctypes.CDLL(os.path.join(build, "vsip", "libvsip-tv.so"), mode=mode)
        P, L, I = ctypes.c_void_p, ctypes.c_uint64, ctypes.c_int
        sig = {
            "vsip_init": (I, [P]),
            "vsip_blockbind_f": (P, [P, L, I]),
            "vsip_blockadmit_f": (I, [P, I]),
            "vsip_vbind_f": (P, [P, L, ctypes.c_int64, L]),
            "vsip_valldestroy_f": (None, [P]),
            "vsip_conv1d_create_f": (P, [P, I, L, L, I, L, I]),
            "vsip_convolve1d_f": (None, [P, P, P]),
            "vsip_conv1d_destroy_f": (I, [P]),
            "vsip_corr1d_create_f": (P, [L, L, I, L, I]),
            "vsip_correlate1d_f": (None, [P, I, P, P, P]),
            "vsip_corr1d_destroy_f": (I, [P]),
        }
        for name, (res, args) in sig.items():
            f = getattr(v, name)
            f.restype, f.argtypes = res, args
            setattr(self, name[5:], f)
        self.init(None)

    def view(self, array):
        """A unit-stride view over a float32 numpy array (kept alive by the caller)."""
        block = self.blockbind_f(array.ctypes.data, array.size, 0)
        self.blockadmit_f(block, 1)
        return self.vbind_f(block, 0, 1, array.size)


def best_time(fn, budget=0.6, max_runs=200):
    """Best of repeated runs within a time budget (at least 3 runs)."""
    fn()
    best = float("inf")
    spent, runs = 0.0, 0
    while runs < 3 or (spent < budget and runs < max_runs):
        t0 = time.perf_counter()
        fn()
        dt = time.perf_counter() - t0
        best = min(best, dt)
        spent += dt
        runs += 1
    return best


def check(ours, want, what):
    scale = np.max(np.abs(want)) or 1.0
    err = np.max(np.abs(ours.astype(np.float64) - want)) / scale
    if err > 1e-4:
        sys.exit(f"{what}: results differ from numpy (relative error {err:.2e})")


def bench(lib, n, m, hint, rng):
    x = rng.uniform(-1, 1, n).astype(np.float32)
    h = rng.uniform(-1, 1, m).astype(np.float32)
    conv_out = np.zeros(n + m - 1, np.float32)
    corr_out = np.zeros(n + m - 1, np.float32)
    xv, hv = lib.view(x), lib.view(h)
    cv, rv = lib.view(conv_out), lib.view(corr_out)
    rows = []

    conv = lib.conv1d_create_f(hv, 0, n, 1, 0, 0, hint)  # full support, D = 1
    corr = lib.corr1d_create_f(m, n, 0, 0, hint)         # full support
    if not conv or not corr:
        sys.exit(f"{n}x{m}: creation failed")
    heavy = n * m > 2e8  # direct sums of this size take seconds: fewer runs
    budget = 2.0 if heavy else 0.6

    reference = np.convolve(x.astype(np.float64), h.astype(np.float64))
    lib.convolve1d_f(conv, xv, cv)
    check(conv_out, reference, f"convolve {n}x{m}")
    lib.correlate1d_f(corr, 0, hv, xv, rv)
    reference = np.correlate(x.astype(np.float64), h.astype(np.float64), "full")
    check(corr_out, reference, f"correlate {n}x{m}")
    del reference

    ours = best_time(lambda: lib.convolve1d_f(conv, xv, cv), budget)

    def create_run():
        c = lib.conv1d_create_f(hv, 0, n, 1, 0, 0, hint)
        lib.convolve1d_f(c, xv, cv)
        lib.conv1d_destroy_f(c)

    ours_all = best_time(create_run, budget, 20)
    peers = {
        "numpy": best_time(lambda: np.convolve(x, h), budget, 3 if heavy else 200),
        "fftconvolve": best_time(lambda: scipy.signal.fftconvolve(x, h), budget),
        "oaconvolve": best_time(lambda: scipy.signal.oaconvolve(x, h), budget),
    }
    rows.append(("convolve", n, m, ours, ours_all, peers))

    hr = h[::-1].copy()
    ours = best_time(lambda: lib.correlate1d_f(corr, 0, hv, xv, rv), budget)

    def create_run_corr():
        c = lib.corr1d_create_f(m, n, 0, 0, hint)
        lib.correlate1d_f(c, 0, hv, xv, rv)
        lib.corr1d_destroy_f(c)

    ours_all = best_time(create_run_corr, budget, 20)
    peers = {
        "numpy": best_time(lambda: np.correlate(x, h, "full"), budget, 3 if heavy else 200),
        "fftconvolve": best_time(lambda: scipy.signal.fftconvolve(x, hr), budget),
        "oaconvolve": best_time(lambda: scipy.signal.oaconvolve(x, hr), budget),
    }
    rows.append(("correlate", n, m, ours, ours_all, peers))

    lib.conv1d_destroy_f(conv)
    lib.corr1d_destroy_f(corr)
    for v in (xv, hv, cv, rv):
        lib.valldestroy_f(v)
    return rows


def fmt(t):
    return f"{t * 1e6:10.1f}"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("build", help="build directory holding vml/ and vsip/")
    ap.add_argument("--sizes", default=DEFAULT_SIZES, help="comma-separated NxM list")
    ap.add_argument("--hint", choices=["time", "space"], default="time",
                    help="algorithm hint of our objects (space: measured FFT plans)")
    args = ap.parse_args()
    lib = Lib(args.build)
    hint = {"time": 0, "space": 1}[args.hint]
    rng = np.random.default_rng(1)
    print(f"numpy {np.__version__}, scipy {scipy.__version__}, "
          f"OMP_NUM_THREADS={os.environ.get('OMP_NUM_THREADS', 'unset')}, hint {args.hint}")
    print("times in microseconds (best run); ratio = ours / fastest peer")
    print(f"{'operation':10} {'N x M':>14} {'ours':>10} {'create+run':>10} {'numpy':>10} "
          f"{'fftconv':>10} {'oaconv':>10} {'ratio':>7}  fastest peer")
    for size in args.sizes.split(","):
        n, m = (int(v) for v in size.lower().split("x"))
        for op, n_, m_, ours, ours_all, peers in bench(lib, n, m, hint, rng):
            fastest = min(peers, key=peers.get)
            print(f"{op:10} {f'{n_}x{m_}':>14} {fmt(ours)} {fmt(ours_all)} "
                  f"{fmt(peers['numpy'])} {fmt(peers['fftconvolve'])} {fmt(peers['oaconvolve'])} "
                  f"{ours / peers[fastest]:7.2f}  {fastest}", flush=True)


if __name__ == "__main__":
    main()
