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


def shown(run):
    if "bytes_per_second" in run:
        return f"{run['bytes_per_second'] / 1e6:.1f} MB/s"
    if "per_step" in run:
        seconds = run["per_step"]
        if seconds >= 1e-3:
            return f"{seconds * 1e3:.2f} ms/step"
        return f"{seconds * 1e9:.1f} ns/step"
    if "per_removal" in run:
        return f"{run['per_removal'] * 1e9:.1f} ns/removal"
    if "per_entry" in run:
        return f"{run['per_entry'] * 1e9:.1f} ns/entry"
    return f"{run['cpu_time']:.3g} {run.get('time_unit', 'ns')}"


def main(argv):
    benchmarks = load(argv)["benchmarks"]
    # With --benchmark_repetitions, compare the medians; otherwise the runs.
    medians = {b["run_name"]: b for b in benchmarks
               if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"}
    runs = medians or {b["name"]: b for b in benchmarks
                       if b.get("run_type", "iteration") == "iteration"}
    print(f"{'pair':<16}{'plug-in':>20}{'pugixml':>20}{'ratio':>10}")
    for name, plugin in runs.items():
        if not name.startswith("Plugin_"):
            continue
        raw = runs.get("Pugixml_" + name[len("Plugin_"):])
        if not raw:
            continue
        # CPU time, like the rates: wall time on a busy machine says little.
        ratio = plugin["cpu_time"] / raw["cpu_time"]
        print(f"{name[7:]:<16}{shown(plugin):>20}{shown(raw):>20}{ratio:>9.2f}x")
    small = [runs.get(n) for n in ("Plugin_SmallOneShot", "Plugin_SmallCompiled")]
    if all(small):
        print(f"\none-shot SelectNodes on a 2 KB document: {small[0]['cpu_time']:.2f} "
              f"{small[0].get('time_unit', 'ns')}, compiled XPathQuery "
              f"{small[1]['cpu_time']:.2f} {small[1].get('time_unit', 'ns')}, "
              f"ratio {small[0]['cpu_time'] / small[1]['cpu_time']:.2f}x")
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
