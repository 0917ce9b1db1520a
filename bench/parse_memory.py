#!/usr/bin/env python3
"""Peak and held memory while parsing a 40 MB document: Document.FromString
through the emulated host against pugixml's load_buffer of the same bytes,
each in a fresh process, sides alternated, medians of the repetitions.

usage: parse_memory.py PARSE_MEMORY_EXECUTABLE [--baseline OLD_PLUGIN.so]
                       [--megabytes N] [--repetitions N]

peak: the process's resident high-water mark while parsing (the text the
      caller holds included); rise: that peak less the resident size just
      before; held: resident size after the parse less the size before.
"""
import os
import statistics
import subprocess
import sys


def option(argv, name, default):
    return argv[argv.index(name) + 1] if name in argv else default


def measure(executable, side, megabytes, plugin=None):
    env = dict(os.environ)
    if plugin:
        env["TORVXML_BENCH_PLUGIN"] = plugin
    out = subprocess.run([executable, side, str(megabytes)], env=env, check=True,
                         capture_output=True, text=True).stdout
    values = dict(line.split() for line in out.splitlines())
    before, peak, after = (int(values[k]) / 1024 for k in ("before", "peak", "after"))
    return {"peak": peak, "rise": peak - before, "held": after - before}


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    executable = argv[1]
    baseline = option(argv, "--baseline", None)
    megabytes = float(option(argv, "--megabytes", "40"))
    repetitions = int(option(argv, "--repetitions", "3"))
    sides = [("pugixml", "pugixml", None), ("plug-in", "plugin", None)]
    if baseline:
        sides.append(("plug-in before", "plugin", baseline))
    runs = {label: [] for label, _, _ in sides}
    for _ in range(repetitions):
        for label, side, plugin in sides:
            runs[label].append(measure(executable, side, megabytes, plugin))
    med = {label: {k: statistics.median(r[k] for r in rs) for k in ("peak", "rise", "held")}
           for label, rs in runs.items()}
    raw = med["pugixml"]
    print(f"parse memory, {megabytes:g} MB document (MiB, medians of {repetitions})")
    print(f"{'':<16}{'peak':>9}{'rise':>9}{'held':>9}{'peak ratio':>12}{'held ratio':>12}")
    for label, m in med.items():
        print(f"{label:<16}{m['peak']:>9.1f}{m['rise']:>9.1f}{m['held']:>9.1f}"
              f"{m['peak'] / raw['peak']:>11.3f}x{m['held'] / raw['held']:>11.3f}x")


if __name__ == "__main__":
    main(sys.argv)
