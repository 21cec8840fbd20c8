#!/usr/bin/env python3
"""tvml-info --json under a table of environments: the selection it reports
follows VML_DEBUG_ARCH and the processor's capabilities, the kernel table
matches the index, and every vector-ABI name is reported with the object it
binds to (dazaro-tv unless another library is loaded first)."""
import json
import os
import subprocess
import sys

TOOL = sys.argv[1]
LIBMVEC = "/lib/x86_64-linux-gnu/libmvec.so.1"
NAMES = ["generic", "tarvo_generic", "tarvo_ondara", "tarvo_belisk"]
failures = []


def run(env_extra, *args):
    env = dict(os.environ)
    env.pop("VML_DEBUG_ARCH", None)
    env.update(env_extra)
    # A preloaded library would precede the sanitizer runtime.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
    p = subprocess.run([TOOL, *args], env=env, capture_output=True, text=True)
    return p.returncode, p.stdout


def check(what, cond):
    if not cond:
        failures.append(what)


# (VML_DEBUG_ARCH value or None, index it names or None when ignored)
DEBUG_ARCH_CASES = [
    (None, None), ("0", 0), ("1", 1), ("2", 2), ("3", 3), ("abc", 0), ("", 0), ("1x", 1), ("4", None), ("-1", None),
]

for value, forced in DEBUG_ARCH_CASES:
    env = {} if value is None else {"VML_DEBUG_ARCH": value}
    rc, out = run(env, "--json")
    what = f"VML_DEBUG_ARCH={value!r}"
    try:
        d = json.loads(out)
    except ValueError as e:
        failures.append(f"{what}: output is not JSON ({e})")
        continue
    check(f"{what}: exit status {rc}", rc == 0 and d["self_check"]["passed"])
    p = d["processor"]
    capable = p["avx"] and p["xsave"] and p["osxsave"] and p["os_avx_state"] and p["avx2"] and p["fma"]
    dbg, sel = d["debug_arch"], d["selected"]
    check(f"{what}: forced flag", dbg["forced"] == (forced is not None))
    if forced is not None:
        check(f"{what}: forced index", dbg["forced_index"] == forced)
        refused = forced > 0 and not capable
        check(f"{what}: refused", dbg["refused"] == refused and bool(dbg["reason"]) == refused)
        check(f"{what}: selected index", sel["index"] == (0 if refused else forced))
    else:
        check(f"{what}: detection without tuned kernels", capable or sel["index"] == 0)
    check(f"{what}: name", sel["name"] == NAMES[sel["index"]] == d["vml_get_cpu_arch"])
    check(f"{what}: table sizes", len(d["array_functions"]) == 54 and len(d["short_vector_functions"]) == 25)
    generic = all(f["kernel"].endswith("_generic") for f in d["array_functions"]) and all(
        k.endswith("_generic") for f in d["short_vector_functions"] for k in f["kernels"])
    check(f"{what}: kernels of index {sel['index']}", generic == (sel["index"] == 0))
    abi = d["vector_abi"]
    check(f"{what}: vector-ABI names", len(abi) == 100 and all(b["name"].startswith("_ZGV") for b in abi))
    check(f"{what}: vector-ABI names bind to dazaro-tv", all(b["dazaro_tv"] for b in abi))
    check(f"{what}: libmvec not loaded", not d["libmvec_loaded"])

# With glibc's libmvec loaded first, the names it also exports bind to it,
# and the text report says how to fix the link order.
if os.path.exists(LIBMVEC):
    rc, out = run({"LD_PRELOAD": LIBMVEC}, "--json")
    d = json.loads(out)
    elsewhere = [b for b in d["vector_abi"] if not b["dazaro_tv"]]
    check("libmvec first: loaded", d["libmvec_loaded"])
    check("libmvec first: some names bind to it", elsewhere and all("libmvec" in b["object"] for b in elsewhere))
    check("libmvec first: expf binds to it", any(b["name"] == "_ZGVbN4v_expf" for b in elsewhere))
    rc, out = run({"LD_PRELOAD": LIBMVEC})
    check("libmvec first: text names the fix", "link dazaro-tv before -lm" in out)

rc, out = run({}, "--bogus")
check("unknown option: exit status 2", rc == 2)

for f in failures:
    print("FAILED:", f)
print(f"{len(DEBUG_ARCH_CASES) + 2} environments, {len(failures)} failures")
sys.exit(1 if failures else 0)
