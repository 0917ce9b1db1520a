#!/usr/bin/env python3
"""Fails unless every Xojo block of the guide is run by a test that cites it
as "// guide: <section title> [n]" (n counts the section's Xojo blocks from 1),
and every citation names a block that exists."""
import re
import sys


def guide_blocks(text):
    blocks, section, fence, count = set(), None, None, {}
    for line in text.splitlines():
        if fence is None and line.startswith("```"):
            fence = line[3:].strip()
            if fence == "xojo":
                if section is None:
                    sys.exit("guide: a Xojo block stands before the first section")
                count[section] = count.get(section, 0) + 1
                blocks.add((section, count[section]))
            continue
        if fence is not None:
            if line.startswith("```"):
                fence = None
            continue
        m = re.match(r"## (.+)$", line)
        if m:
            section = m.group(1).strip()
    return blocks


def cited(text):
    return {(m.group(1).strip(), int(m.group(2)))
            for m in re.finditer(r"^// guide: (.+) \[(\d+)\]\s*$", text, re.M)}


def main(guide_path, *test_paths):
    with open(guide_path, encoding="utf-8") as f:
        blocks = guide_blocks(f.read())
    citations = set()
    for path in test_paths:
        with open(path, encoding="utf-8") as f:
            citations |= cited(f.read())
    problems = [f"not run by any test: {s} [{n}]" for s, n in sorted(blocks - citations)]
    problems += [f"cited but not in the guide: {s} [{n}]" for s, n in sorted(citations - blocks)]
    for p in problems:
        print(p, file=sys.stderr)
    if not problems:
        print(f"guide: all {len(blocks)} Xojo blocks are run by tests")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: check_citations.py GUIDE TEST...")
    sys.exit(main(*sys.argv[1:]))
