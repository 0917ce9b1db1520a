#!/usr/bin/env python3
"""scripts/check-help reports each way a help folder can fail the IDE, and
passes a sound one.  Usage: check_help_test.py PATH-TO-check-help"""
import importlib.machinery
import importlib.util
import os
import sys
import tempfile
import unittest

CHECKER = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "..", "scripts", "check-help")
loader = importlib.machinery.SourceFileLoader("check_help", CHECKER)
spec = importlib.util.spec_from_loader("check_help", loader)
check_help = importlib.util.module_from_spec(spec)
loader.exec_module(check_help)

INDEX = '<html><body><a href="a.html">A</a> <a href="a.html#x">x</a> <a href="b.html">B</a></body></html>'
A = '<html><body><h2 id="x">X</h2><a href="index.html">back</a> <a href="#x">x</a></body></html>'
B = '<html><body><a name="y"></a><a href="a.html#x">A</a></body></html>'


class CheckHelp(unittest.TestCase):
    def folder(self, **pages):
        d = tempfile.TemporaryDirectory()
        self.addCleanup(d.cleanup)
        pages = {name.replace("_", "."): text for name, text in pages.items()}
        for name, text in {"index.html": INDEX, "a.html": A, "b.html": B, **pages}.items():
            if text is not None:
                with open(os.path.join(d.name, name), "w") as f:
                    f.write(text)
        return d.name

    def problems(self, folder):
        return check_help.check(folder)[0]

    def test_sound_folder_passes(self):
        self.assertEqual(self.problems(self.folder()), [])

    def test_each_fault_is_reported(self):
        cases = {
            "missing anchor": (dict(b_html=B.replace("a.html#x", "a.html#z")), "names no anchor"),
            "missing page": (dict(b_html=B.replace("a.html#x", "c.html")), "names no page"),
            "script": (dict(a_html=A + "<script>1</script>"), "script element"),
            "remote image": (dict(a_html=A + '<img src="https://h/i.png">'), "loads a resource"),
            "local stylesheet": (dict(a_html=A + '<link rel="stylesheet" href="s.css">'), "loads a resource"),
            "css import": (dict(a_html=A + "<style>@import 'x.css';</style>"), "loads a resource"),
            "external link": (dict(a_html=A + '<a href="https://h/">h</a>'), "leaves the help folder"),
            "unlisted page": (dict(c_html=B), "does not list c.html"),
            "no index": (dict(index_html=None), "index.html is missing"),
        }
        for what, (pages, message) in cases.items():
            with self.subTest(what):
                found = self.problems(self.folder(**pages))
                self.assertTrue(any(message in p for p in found), found)

    def test_sub_folder_is_reported(self):
        folder = self.folder()
        os.mkdir(os.path.join(folder, "img"))
        self.assertTrue(any("sub-folder" in p for p in self.problems(folder)))


if __name__ == "__main__":
    unittest.main()
