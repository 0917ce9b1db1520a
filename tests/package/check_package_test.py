#!/usr/bin/env python3
"""The layout check must reject every fault the IDE would trip over.

Each case rewrites the good package into a faulty copy and expects
scripts/check-package to fail on it, naming the fault; the good package itself
must pass.

    check_package_test.py CHECK_PACKAGE GOOD_ARCHIVE VERSION
"""
import os
import subprocess
import sys
import tempfile
import zipfile

ROOT = "TorvXml/"
LINUX = ROOT + "Build Resources/Linux x86-64/TorvXml.so"
INDEX = ROOT + "IDE Resources/Help/index.html"


def rewrite(good, out, rename=None, drop=(), add=None, replace=None):
    with zipfile.ZipFile(good) as src, zipfile.ZipFile(out, "w") as dst:
        for info in src.infolist():
            if info.filename in drop:
                continue
            data = src.read(info.filename)
            if replace and info.filename in replace:
                data = replace[info.filename](data)
            name = rename(info.filename) if rename else info.filename
            dst.writestr(name, data)
        for name, data in (add or {}).items():
            dst.writestr(name, data)


CASES = [
    # name, rewrite arguments, text the report must contain
    ("a second root folder", dict(add={"Other/readme.txt": b"x"}), "root folders"),
    ("a library missing", dict(drop={LINUX}), "missing Build Resources/Linux x86-64"),
    ("a platform folder in the wrong case",
     dict(rename=lambda n: n.replace("Linux x86-64", "linux x86-64")), "missing"),
    ("a stray file beside the libraries",
     dict(add={ROOT + "Build Resources/Linux x86-64/notes.txt": b"x"}), "stray file"),
    ("a stray file at the root", dict(add={ROOT + "README.md": b"x"}), "stray file"),
    ("a help page in a sub-folder",
     dict(add={ROOT + "IDE Resources/Help/more/page.html": b"<html>"}), "stray file in the help"),
    ("no index.html", dict(drop={INDEX}), "no IDE Resources/Help/index.html"),
    ("a help page that loads a script",
     dict(replace={INDEX: lambda d: d.replace(b"</head>", b"<script src=x.js></script></head>")}),
     "scripts"),
    ("the help naming another version",
     dict(replace={INDEX: lambda d: d.replace(b"<title>TorvXml ", b"<title>TorvXml 0.")}),
     "version"),
    ("an empty stray folder", dict(add={ROOT + "Build Resources/Windows arm64/": b""}),
     "stray folder"),
    ("another Linux library than the tested one",
     dict(replace={LINUX: lambda d: d + b"\0"}), "not the tested"),
]


def run(check, archive, tested, version):
    return subprocess.run([sys.executable, check, archive, "--tested", tested, "--version", version],
                          capture_output=True, text=True)


def main():
    check, good, version = sys.argv[1:4]
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        tested = os.path.join(tmp, "TorvXml.so")
        with zipfile.ZipFile(good) as z, open(tested, "wb") as f:
            f.write(z.read(LINUX))
        result = run(check, good, tested, version)
        if result.returncode != 0:
            print("the good package fails:\n" + result.stderr)
            failures += 1
        for name, args, expected in CASES:
            faulty = os.path.join(tmp, "faulty.xojo_plugin")
            rewrite(good, faulty, **args)
            result = run(check, faulty, tested, version)
            if result.returncode == 0 or expected not in result.stderr:
                print("not rejected as expected (%r): %s\n%s" % (expected, name, result.stderr))
                failures += 1
    print("%d of %d cases as expected" % (len(CASES) + 1 - failures, len(CASES) + 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
