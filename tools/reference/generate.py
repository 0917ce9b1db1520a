#!/usr/bin/env python3
"""Generates docs/reference/ from what the plug-in registers and the member
descriptions written by hand in descriptions.md beside this script.

The registration comes from torvxml-inspect's plain listing (run here twice:
for the current host and for a 2019.1 host, whose listing lacks the date
members), so a page can never miss or misspell a member. Every registered
member must have a description and every description must name a registered
member; raised exceptions must be rows of docs/errors.md; [[Class.Member]]
references must resolve. Any violation fails the run.

  generate.py --inspect TOOL --plugin PLUGIN --out DIR      write the pages
  generate.py --inspect TOOL --plugin PLUGIN --check DIR    fail unless DIR matches
  generate.py --listing FILE [--old-listing FILE] ...       use saved listings
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
# The one host version that registers the module without the date members.
OLDEST_HOST = "2019.1"


class DocError(Exception):
    pass


# ---------------------------------------------------------------- listing


class Member:
    def __init__(self, kind, key, name, display, flags, read_only=False):
        self.kind = kind  # property, method, shared method, constant, entry
        self.key = key  # what descriptions.md names it by
        self.name = name  # bare name, for [[references]] and anchors
        self.display = display
        self.flags = flags
        self.read_only = read_only
        self.anchor = ""
        self.description = None
        self.needs_newer_host = False


class Owner:
    """A class, the module, the constants or one enumeration."""

    def __init__(self, kind, name):
        self.kind = kind  # class, module, constants, enum
        self.name = name
        self.superclass = ""
        self.interfaces = ""
        self.members = []
        self.intro = None

    @property
    def key(self):
        return f"{self.kind} {self.name}"

    @property
    def short(self):
        return self.name.rsplit(".", 1)[-1]


def member_name(declaration):
    return re.match(r"\s*([A-Za-z_][A-Za-z0-9_]*)", declaration).group(1)


def parse_listing(text):
    """Owners in listing order: the module, its constants and enumerations,
    then every class."""
    heads, enums, classes = [], [], []
    module = constants = enum = cls = None
    for line in text.splitlines():
        if line.startswith("record version") or not line.strip():
            continue
        m = re.match(r"module (\S+)$", line)
        if m:
            module = Owner("module", m.group(1))
            constants = Owner("constants", m.group(1))
            heads += [module, constants]
            cls = None
            continue
        m = re.match(r"class (\S+)$", line)
        if m:
            cls = Owner("class", m.group(1))
            classes.append(cls)
            enum = None
            continue
        target = cls or module
        if target is None:
            raise DocError(f"listing: unexpected line {line!r}")
        s = line.strip()
        m = re.match(r'(shared method|method) "(.*)" flags (\S+)', s)
        if m:
            kind, decl, flags = m.groups()
            target.members.append(Member(kind, f"{kind} {decl}", member_name(decl), decl, flags))
            continue
        m = re.match(r"(shared property|property) (\S+) as (\S+) flags (\S+) .* setter (\S+)", s)
        if m:
            kind, name, ptype, flags, setter = m.groups()
            decl = f"{name} as {ptype}"
            target.members.append(
                Member(kind, f"{kind} {decl}", name, f"{name} As {ptype}", flags, setter == "read-only"))
            continue
        m = re.match(r'constant "(.*)" flags (\S+)', s)
        if m:
            decl, flags = m.groups()
            holder = constants if cls is None else target
            holder.members.append(Member("constant", f"constant {decl}", member_name(decl), decl, flags))
            continue
        m = re.match(r"enum (\S+) type (.*) flags (\S+)", s)
        if m:
            enum = Owner("enum", f"{target.name}.{m.group(1)}")
            enums.append(enum)
            continue
        m = re.match(r'"(.*)"$', s)
        if m and enum is not None:
            decl = m.group(1)
            enum.members.append(Member("entry", f"entry {decl}", member_name(decl), decl, ""))
            continue
        m = re.match(r"superclass (.*)$", s)
        if m and cls is not None:
            cls.superclass = "" if m.group(1) == "(none)" else m.group(1)
            continue
        m = re.match(r"interfaces (.*)$", s)
        if m and cls is not None:
            cls.interfaces = m.group(1).strip('"') if m.group(1) != "(none)" else ""
            continue
        if re.match(r"(data size|flags|destructor|attributes|class) ", s):
            continue
        raise DocError(f"listing: unexpected line {line!r}")
    return heads + enums + classes


def run_inspect(tool, plugin, version=None):
    cmd = [tool] + (["--version", version] if version else []) + [plugin]
    done = subprocess.run(cmd, capture_output=True, text=True)
    if done.returncode != 0:
        raise DocError(f"{' '.join(cmd)} failed ({done.returncode}): {done.stderr}")
    return done.stdout


# ---------------------------------------------------------------- descriptions


class Entry:
    def __init__(self, key, line):
        self.key = key
        self.line = line
        self.body = []


def parse_descriptions(text):
    """{owner key: (intro Entry, {member key: Entry})}, in file order."""
    owners = {}
    current = None
    entry = None
    fence = False
    comment = False
    for number, line in enumerate(text.splitlines(), 1):
        if entry is None and (comment or line.startswith("<!--")):
            comment = "-->" not in line
            continue
        if line.startswith("```"):
            fence = not fence
        if not fence and line.startswith("# "):
            key = line[2:].strip()
            if key in owners:
                raise DocError(f"descriptions.md:{number}: '{key}' is described twice")
            entry = Entry(key, number)
            current = (entry, {})
            owners[key] = current
            continue
        if not fence and line.startswith("## "):
            if current is None:
                raise DocError(f"descriptions.md:{number}: member before any '# ' section")
            key = line[3:].strip()
            if key in current[1]:
                raise DocError(f"descriptions.md:{number}: '{key}' is described twice")
            entry = Entry(key, number)
            current[1][key] = entry
            continue
        if entry is not None:
            entry.body.append(line)
        elif line.strip():
            raise DocError(f"descriptions.md:{number}: text before the first section")
    for intro, members in owners.values():
        for e in [intro] + list(members.values()):
            while e.body and not e.body[-1].strip():
                e.body.pop()
            while e.body and not e.body[0].strip():
                e.body.pop(0)
    return owners


def parse_errors(text):
    """The rows of docs/errors.md as (class, message, ErrorNumber)."""
    rows = set()
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) >= 3 and re.fullmatch(r"-?\d+", cells[2]):
            rows.add((cells[1], cells[0], int(cells[2])))
    return rows


# ---------------------------------------------------------------- model


def page_name(owner):
    if owner.kind == "module":
        return owner.name + ".md"
    if owner.kind == "constants":
        return "Constants.md"
    if owner.kind == "enum":
        return "Enumerations.md"
    return owner.short + ".md"


def assign_anchors(owners):
    for owner in owners:
        used = set()
        for m in owner.members:
            base = m.name
            anchor, n = base, 1
            while anchor in used:
                n += 1
                anchor = f"{base}-{n}"
            used.add(anchor)
            m.anchor = anchor
    # Enumerations share one page: prefix their entries with the enum's name.
    for owner in owners:
        if owner.kind == "enum":
            owner.anchor = owner.short.split(".")[-1]
            for m in owner.members:
                m.anchor = f"{owner.anchor}-{m.anchor}"


def bind(owners, described, error_rows):
    problems = []
    by_key = {o.key: o for o in owners}
    for key, (intro, members) in described.items():
        owner = by_key.get(key)
        if owner is None:
            problems.append(f"descriptions.md:{intro.line}: '# {key}' is not registered")
            continue
        owner.intro = intro
        registered = {m.key: m for m in owner.members}
        for mkey, entry in members.items():
            m = registered.get(mkey)
            if m is None:
                problems.append(f"descriptions.md:{entry.line}: '{mkey}' is not registered in {key}")
            else:
                m.description = entry
    for owner in owners:
        if owner.intro is None or not owner.intro.body:
            problems.append(f"no description for '# {owner.key}'")
        for m in owner.members:
            if m.description is None or not m.description.body:
                problems.append(f"no description for '## {m.key}' in {owner.key}")
    for owner in owners:
        for e in [owner.intro] + [m.description for m in owner.members]:
            if e is None:
                continue
            for line in e.body:
                r = re.match(r'Raises: (\S+) "(.*)" (-?\d+)\s*$', line)
                if r and (r.group(1), r.group(2), int(r.group(3))) not in error_rows:
                    problems.append(f"descriptions.md: {line.strip()!r} is not a row of docs/errors.md")
                elif line.startswith("Raises:") and not r:
                    problems.append(f"descriptions.md: malformed {line.strip()!r}")
    return problems


class Resolver:
    """Turns [[Class.Member]], [[Member]] and [[Class]] into links."""

    def __init__(self, owners):
        self.pages = {}
        self.members = {}
        for o in owners:
            if o.kind == "class":
                self.pages[o.short] = page_name(o)
            if o.kind == "enum":
                self.pages[o.short] = f"{page_name(o)}#{o.anchor}"
            for m in o.members:
                self.members.setdefault((o.short, m.name), f"{page_name(o)}#{m.anchor}")
                self.members.setdefault((o.short, m.anchor), f"{page_name(o)}#{m.anchor}")
        self.problems = []

    def link(self, ref, here):
        target = None
        if ref in self.pages:
            target = self.pages[ref]
        elif "." in ref:
            cls, name = ref.rsplit(".", 1)
            target = self.members.get((cls, name))
        else:
            target = self.members.get((here.short, ref))
        if target is None:
            self.problems.append(f"descriptions.md: [[{ref}]] in {here.key} names nothing registered")
            return f"`{ref}`"
        page, _, anchor = target.partition("#")
        if page == page_name(here):
            target = "#" + anchor if anchor else page
        return f"[`{re.sub(r'-[0-9]+$', '', ref)}`]({target})"

    def expand(self, text, here):
        return re.sub(r"\[\[([A-Za-z0-9_.-]+)\]\]", lambda m: self.link(m.group(1), here), text)


# ---------------------------------------------------------------- rendering

ERRORS_LINK = "../errors.md"


def render_body(entry, owner, resolver):
    """The entry's text with its Nothing:, Raises: and [[...]] lines expanded,
    and a blank line around every block so any Markdown reader agrees."""
    blocks, para, raises, code = [], [], [], None

    def flush():
        if para:
            blocks.append("\n".join(para))
            para.clear()
        if raises:
            blocks.append("\n".join(raises))
            raises.clear()

    for line in entry.body:
        if code is not None:
            code.append(line)
            if line.startswith("```"):
                blocks.append("\n".join(code))
                code = None
            continue
        if line.startswith("```"):
            flush()
            code = [line]
            continue
        r = re.match(r'Raises: (\S+) "(.*)" (-?\d+)\s*$', line)
        if r:
            if para:
                flush()
            cls, message, number = r.groups()
            shown = message if message[:1].isupper() else f"*{message}*"
            raises.append(f"- **Raises** [`{cls}`]({ERRORS_LINK}): {shown} (ErrorNumber {number})")
            continue
        n = re.match(r"Nothing: (.*)$", line)
        if n:
            flush()
            para.append(f"**When there is nothing:** {resolver.expand(n.group(1), owner)}")
            continue
        if not line.strip():
            flush()
            continue
        if raises:
            flush()
        para.append(resolver.expand(line, owner))
    flush()
    return "\n\n".join(blocks)


def first_sentence(entry, owner, resolver):
    text = " ".join(l.strip() for l in entry.body if l.strip() and not l.startswith("```"))
    text = re.split(r"(?<=\.)\s", text, maxsplit=1)[0]
    return resolver.expand(text, owner).rstrip(":") if text else ""


HEADER = "<!-- Generated by tools/reference/generate.py from the registration and tools/reference/descriptions.md. Do not edit. -->\n"

GROUPS = [("property", "Properties"), ("shared property", "Shared properties"),
          ("method", "Methods"), ("shared method", "Shared methods"),
          ("constant", "Constants"), ("entry", "Entries")]


def member_heading(m):
    extra = ""
    if m.kind.endswith("property"):
        extra = " (read-only)" if m.read_only else " (read and write)"
    return f"`{m.display}`{extra}"


def render_members(owner, resolver, level="##"):
    out = []
    for kind, title in GROUPS:
        members = [m for m in owner.members if m.kind == kind]
        if not members:
            continue
        out.append(f"{level} {title}\n")
        for m in members:
            out.append(f'<a id="{m.anchor}"></a>\n')
            out.append(f"{level}# {member_heading(m)}\n")
            if m.needs_newer_host:
                out.append("*Registered by Xojo 2019.2 and later, not by 2019.1.*\n")
            out.append(render_body(m.description, owner, resolver) + "\n")
    return out


def summary_table(owner, resolver):
    out = ["| Member | Summary |", "|---|---|"]
    for m in owner.members:
        if m.kind == "entry":
            continue
        summary = first_sentence(m.description, owner, resolver).replace("|", "\\|")
        out.append(f"| [`{m.display.replace('|', chr(92) + '|')}`](#{m.anchor}) | {summary} |")
    return "\n".join(out) + "\n"


def nav(current):
    return f"[Reference index](index.md) · [Guide](../guide.md) · [Errors]({ERRORS_LINK})\n"


def class_page(owner, owners, resolver):
    out = [HEADER, f"# {owner.short} class\n", nav(owner)]
    facts = [f"Full name `{owner.name}`"]
    if owner.superclass:
        sup = next((o for o in owners if o.name == owner.superclass), None)
        facts.append(f"superclass [`{sup.short}`]({page_name(sup)})" if sup else
                     f"superclass `{owner.superclass}`")
    if owner.interfaces:
        facts.append("implements " + ", ".join(f"`{i}`" for i in owner.interfaces.split(",")))
    out.append(" · ".join(facts) + ".\n")
    out.append(render_body(owner.intro, owner, resolver) + "\n")
    sup = next((o for o in owners if o.name == owner.superclass), None)
    if sup is not None:
        # A member the subclass registers again by name replaces the superclass's.
        own = {m.name for m in owner.members}
        inherited = [m for m in sup.members if m.name not in own]
        if inherited:
            links = ", ".join(f"[`{m.name}`]({page_name(sup)}#{m.anchor})" for m in inherited
                              if m is next(x for x in inherited if x.name == m.name))
            out.append(f"Inherited from [`{sup.short}`]({page_name(sup)}): {links}.\n")
    if owner.members:
        out.append(summary_table(owner, resolver))
    out += render_members(owner, resolver)
    return "\n".join(out)


def module_page(module, owners, resolver):
    out = [HEADER, f"# {module.name} module\n", nav(module)]
    out.append(render_body(module.intro, module, resolver) + "\n")
    out.append("## Classes\n")
    out.append("| Class | Summary |\n|---|---|")
    for o in owners:
        if o.kind == "class" and o.name.startswith(module.name + "."):
            out.append(f"| [`{o.short}`]({page_name(o)}) | {first_sentence(o.intro, o, resolver)} |")
    out.append("")
    out += render_members(module, resolver)
    return "\n".join(out)


def constants_page(constants, resolver):
    out = [HEADER, "# Constants\n", nav(constants)]
    out.append(render_body(constants.intro, constants, resolver) + "\n")
    out.append(summary_table(constants, resolver))
    for m in constants.members:
        out.append(f'<a id="{m.anchor}"></a>\n')
        out.append(f"### `{constants.name}.{m.display}`\n")
        out.append(render_body(m.description, constants, resolver) + "\n")
    return "\n".join(out)


def enums_page(enums, resolver):
    out = [HEADER, "# Enumerations\n", nav(None)]
    out.append("The module's three enumerations. Their values are those of pugixml and pass "
               "between host code and the library unchanged.\n")
    for e in enums:
        out.append(f'<a id="{e.anchor}"></a>\n')
        out.append(f"## `{e.name}`\n")
        out.append(render_body(e.intro, e, resolver) + "\n")
        out.append("| Entry | Meaning |\n|---|---|")
        for m in e.members:
            text = " ".join(l.strip() for l in m.description.body)
            out.append(f'| <a id="{m.anchor}"></a>`{m.display}` | {resolver.expand(text, e)} |')
        out.append("")
    return "\n".join(out)


def index_page(owners, resolver):
    module = next(o for o in owners if o.kind == "module")
    out = [HEADER, "# TorvXml reference\n", nav(None)]
    out.append("One page per class of the `TorvaneXml` module, generated from what the plug-in "
               "registers with the host, so every member is here under its exact declaration. "
               "The [guide](../guide.md) shows the same members at work, task by task; "
               f"[errors]({ERRORS_LINK}) lists every exception message and ErrorNumber.\n")
    out.append(f"- [The `{module.name}` module]({page_name(module)}): its classes and hidden method")
    out.append("- [Enumerations](Enumerations.md): " + ", ".join(
        f"[`{o.short}`](Enumerations.md#{o.anchor})" for o in owners if o.kind == "enum"))
    out.append("- [Constants](Constants.md): `Version` and the `FORMAT_*` output flags\n")
    sections = [("Documents and nodes", ["Document", "Node", "Attribute", "TextHelper"]),
                ("Iterators", ["NodeIterator", "NamedNodeIterator", "AttributeIterator"]),
                ("XPath", ["XPathQuery", "XPathVariableSet", "XPathNodeSet", "XPathNodeIterator",
                           "XPathNode"]),
                ("Exceptions", ["TorvaneXmlException", "TorvaneXPathException",
                                "TorvaneXmlParserException"])]
    placed = set()
    for title, names in sections:
        out.append(f"## {title}\n")
        out.append("| Class | Summary |\n|---|---|")
        for name in names:
            o = next((o for o in owners if o.kind == "class" and o.short == name), None)
            if o is None:
                continue
            placed.add(o.name)
            out.append(f"| [`{o.short}`]({page_name(o)}) | {first_sentence(o.intro, o, resolver)} |")
        out.append("")
    rest = [o for o in owners if o.kind == "class" and o.name not in placed]
    if rest:
        out.append("## Other classes\n")
        out.append("| Class | Summary |\n|---|---|")
        for o in rest:
            out.append(f"| [`{o.short}`]({page_name(o)}) | {first_sentence(o.intro, o, resolver)} |")
        out.append("")
    return "\n".join(out)


def build(listing, old_listing, descriptions_text, errors_text):
    owners = parse_listing(listing)
    if old_listing is not None:
        old = {(o.key, m.key) for o in parse_listing(old_listing) for m in o.members}
        for o in owners:
            for m in o.members:
                m.needs_newer_host = (o.key, m.key) not in old
    assign_anchors(owners)
    problems = bind(owners, parse_descriptions(descriptions_text), parse_errors(errors_text))
    if problems:
        raise DocError("\n".join(problems))
    resolver = Resolver(owners)
    pages = {"index.md": index_page(owners, resolver)}
    enums = [o for o in owners if o.kind == "enum"]
    for o in owners:
        if o.kind == "class":
            pages[page_name(o)] = class_page(o, owners, resolver)
        elif o.kind == "module":
            pages[page_name(o)] = module_page(o, owners, resolver)
        elif o.kind == "constants":
            pages[page_name(o)] = constants_page(o, resolver)
    if enums:
        pages["Enumerations.md"] = enums_page(enums, resolver)
    if resolver.problems:
        raise DocError("\n".join(sorted(set(resolver.problems))))
    return {name: text.rstrip("\n") + "\n" for name, text in pages.items()}, owners


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--inspect", help="torvxml-inspect")
    p.add_argument("--plugin", help="the built plug-in")
    p.add_argument("--listing", help="a saved plain listing instead of --inspect/--plugin")
    p.add_argument("--old-listing", help="a saved listing of the oldest supported host")
    p.add_argument("--descriptions", default=os.path.join(HERE, "descriptions.md"))
    p.add_argument("--errors", default=os.path.join(ROOT, "docs", "errors.md"))
    out = p.add_mutually_exclusive_group(required=True)
    out.add_argument("--out", help="write the pages into this folder")
    out.add_argument("--check", help="fail unless this folder holds exactly the generated pages")
    args = p.parse_args(argv)
    try:
        if args.listing:
            listing = read(args.listing)
            old = read(args.old_listing) if args.old_listing else None
        elif args.inspect and args.plugin:
            listing = run_inspect(args.inspect, args.plugin)
            old = run_inspect(args.inspect, args.plugin, OLDEST_HOST)
        else:
            raise DocError("give --inspect and --plugin, or --listing")
        pages, owners = build(listing, old, read(args.descriptions), read(args.errors))
    except DocError as e:
        print(e, file=sys.stderr)
        return 1
    described = sum(len(o.members) for o in owners)
    if args.out:
        os.makedirs(args.out, exist_ok=True)
        for name in os.listdir(args.out):
            if name.endswith(".md") and name not in pages:
                os.remove(os.path.join(args.out, name))
        for name, text in pages.items():
            with open(os.path.join(args.out, name), "w", encoding="utf-8") as f:
                f.write(text)
        print(f"reference: {len(pages)} pages, {described} members described")
        return 0
    stale = []
    present = {n for n in os.listdir(args.check) if n.endswith(".md")} if os.path.isdir(args.check) else set()
    for name in sorted(present | set(pages)):
        path = os.path.join(args.check, name)
        if name not in pages or name not in present or read(path) != pages[name]:
            stale.append(name)
    if stale:
        print(f"{args.check} is out of date ({', '.join(stale)}): run 'make docs'", file=sys.stderr)
        return 1
    print(f"reference: {len(pages)} pages in sync, {described} members described")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
