#!/usr/bin/env python3
"""Instructions per step, counted by callgrind: the plug-in's own code against
raw pugixml doing the same work, for the walk, the For Each step, a result's
entries and the one-shot/compiled selection pair.

usage: counts.py STEP_COUNTS_EXECUTABLE [--baseline OLD_PLUGIN.so]

Each workload runs once per side under callgrind, collecting only the
measured round (the program toggles collection and calls the registered
member functions directly, leaving the host's dispatch out). On the plug-in
side the collected cost is split by object file:
  own  = self cost of every function in the plug-in's object (pugixml is
         linked into it) + the inclusive cost of its calls into system
         libraries (malloc, free, memcpy, ...);
  host = everything else: the emulated host's object creation, locks and
         releases, and what the host calls in system libraries.
Calls from the plug-in into the host are left out of `own` whole, including
any plug-in code the host runs meanwhile (a destructor), which is counted
by its own self cost instead.
"""
import os
import re
import subprocess
import sys
import tempfile

WORKS = [
    ("walk", "Walk by FirstChild/NextSibling/Parent, per step"),
    ("foreach", "For Each over Children() reading Name, per item"),
    ("entries", "XPathNodes()/Value()/Node over a result, per entry"),
    ("oneshot", "One-shot SelectNodes, 2 KB document, per call"),
    ("compiled", "Compiled XPathQuery.EvaluateNodeSet, 2 KB document, per call"),
    ("parse", "Parse (FromString / load_buffer), 110 KB, per call"),
    ("serialise", "Serialise (ToString / save to a string), 110 KB, per call"),
    ("query", "Compiled XPathQuery node set, 110 KB, per call"),
]


PLUGIN_OBJECT = re.compile(r"/torvxml-plugin-[^/]*\.so$")  # the host loads a copy
SYSTEM_OBJECT = re.compile(r"^/(usr/)?lib")


def name_of(value, table):
    """Resolves callgrind's "(id) name" compression, if any."""
    m = re.match(r"\((\d+)\)(?: (.*))?$", value)
    if not m:
        return value
    if m.group(2) is not None:
        table[m.group(1)] = m.group(2)
        return m.group(2)
    return table[m.group(1)]


def split_cost(path):
    """(total, own): the collected Ir and the plug-in's own share."""
    objects = {}
    total = own = 0
    ob = cob = None
    in_plugin = call_pending = False
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("summary:"):
                total = int(line.split()[1])
            elif line.startswith("ob="):
                ob = name_of(line[3:], objects)
            elif line.startswith("fn="):
                in_plugin = bool(PLUGIN_OBJECT.search(ob or ""))
                cob = None
            elif line.startswith("cob="):
                cob = name_of(line[4:], objects)
            elif line.startswith("calls="):
                call_pending = True
            elif line[:1].isdigit() or line[:1] in ("+", "-", "*"):
                fields = line.split()
                cost = int(fields[1]) if len(fields) > 1 else 0
                if call_pending:
                    # Into a system library: the plug-in's work; into the
                    # plug-in: counted as the callee's self cost; into the
                    # host: not the plug-in's.
                    callee = cob if cob is not None else ob
                    if in_plugin and SYSTEM_OBJECT.match(callee or ""):
                        own += cost
                    call_pending = False
                    cob = None
                elif in_plugin:
                    own += cost
    return total, own


def run(executable, work, side, plugin=None):
    env = dict(os.environ)
    if plugin:
        env["TORVXML_BENCH_PLUGIN"] = plugin
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        result = subprocess.run(
            ["valgrind", "--tool=callgrind", "--collect-atstart=no", "--compress-strings=no",
             "--compress-pos=no", "--callgrind-out-file=" + out, executable, work, side],
            env=env, check=True, capture_output=True, text=True)
        steps = int(re.search(r"^steps (\d+)$", result.stdout, re.M).group(1))
        total, own = split_cost(out)
    return steps, total, own


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    executable = argv[1]
    baseline = argv[argv.index("--baseline") + 1] if "--baseline" in argv else None
    rows = {}
    for work, _ in WORKS:
        steps, raw, _ = run(executable, work, "pugixml")
        psteps, total, own = run(executable, work, "plugin")
        assert steps == psteps, f"{work}: {steps} pugixml steps, {psteps} plug-in steps"
        old = run(executable, work, "plugin", baseline)[2] / steps if baseline else None
        rows[work] = (own / steps, (total - own) / steps, raw / steps, old)
    print("instructions per step (callgrind; own = the plug-in's code, host = emulated host)")
    head = f"{'work':<64}{'own':>8}{'host':>9}{'pugixml':>9}{'ratio':>8}"
    print(head + (f"{'before':>9}" if baseline else ""))
    for work, title in WORKS:
        own, host, raw, old = rows[work]
        line = f"{title:<64}{own:>8.0f}{host:>9.0f}{raw:>9.0f}{own / raw:>7.1f}x"
        print(line + (f"{old:>9.0f}" if old is not None else ""))
    summary = ", ".join(f"{w} {rows[w][0] / rows[w][2]:.2f}x" for w in
                        ("walk", "foreach", "entries", "parse", "serialise", "query"))
    oneshot = rows["oneshot"][0] / rows["compiled"][0]
    print(f"summary (own/pugixml): {summary}; one-shot/compiled own {oneshot:.2f}x")


if __name__ == "__main__":
    main(sys.argv)
