#!/usr/bin/env python3
"""Runs torvxml-bench (or reads its JSON output) and prints, for every pair
Plugin_X / Pugixml_X, how much slower the plug-in path through the emulated
host is, plus the walk's per-step cost split into host dispatch and the rest.

usage: ratios.py BENCH_EXECUTABLE [benchmark args...]
       ratios.py --json FILE
"""
import json
import subprocess
import sys


def load(argv):
    if len(argv) >= 3 and argv[1] == "--json":
        with open(argv[2]) as f:
            return json.load(f)
    if len(argv) < 2:
        sys.exit(__doc__)
    out = subprocess.run([argv[1], "--benchmark_format=json"] + argv[2:],
                         check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def main(argv):
    runs = {b["name"]: b for b in load(argv)["benchmarks"]
            if b.get("run_type", "iteration") == "iteration"}
    print(f"{'pair':<12}{'plug-in':>16}{'pugixml':>16}{'ratio':>9}")
    for name, plugin in runs.items():
        if not name.startswith("Plugin_"):
            continue
        raw = runs.get("Pugixml_" + name[len("Plugin_"):])
        if not raw:
            continue
        ratio = plugin["real_time"] / raw["real_time"]
        if "bytes_per_second" in plugin:
            left = f"{plugin['bytes_per_second'] / 1e6:.1f} MB/s"
            right = f"{raw['bytes_per_second'] / 1e6:.1f} MB/s"
        else:
            left = f"{plugin['per_step'] * 1e9:.1f} ns/step"
            right = f"{raw['per_step'] * 1e9:.1f} ns/step"
        print(f"{name[7:]:<12}{left:>16}{right:>16}{ratio:>8.1f}x")
    walk, empty, nav = (runs.get(n) for n in ("Plugin_Walk", "Host_EmptyRead",
                                              "Host_FirstChildCall"))
    if walk and empty:
        step, call = walk["per_step"] * 1e9, empty["per_call"] * 1e9
        print(f"\nwalk step {step:.0f} ns = one navigation call plus one Empty read;")
        print(f"an Empty read alone (emulated host dispatch) costs {call:.0f} ns")
        if nav:
            print(f"a FirstChild call alone (dispatch + new wrapper + release) costs "
                  f"{nav['per_call'] * 1e9:.0f} ns")


if __name__ == "__main__":
    main(sys.argv)
