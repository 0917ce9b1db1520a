#!/usr/bin/env python3
"""The reference generator refuses what would make the pages wrong: a member
without a description, a description of something not registered, a raised
message that docs/errors.md does not list, and a link to nothing."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate  # noqa: E402

LISTING = """record version 13
module M
  constant "LIMIT = 3" flags 0x24
  enum Kind type Integer flags 0x20
    "ONE = 1"
  class M.Box
class M.Box
  superclass (none)
  data size 8
  flags 0x4
  interfaces (none)
  destructor yes
  property Size as Integer flags 0x4 getter function setter read-only param 0
  method "Open(name as String) as M.Box" flags 0x4
  method "Open() as M.Box" flags 0x4
  shared method "Make(d as DateTime) as M.Box" flags 0x4
"""

# The oldest host lacks the shared method.
OLD_LISTING = LISTING.replace('  shared method "Make(d as DateTime) as M.Box" flags 0x4\n', "")

ERRORS = """| Message | Class | ErrorNumber | Status, Offset | When |
|---|---|---|---|---|
| Box is shut | BoxException | -4 | | always |
"""

DESCRIPTIONS = """# module M
The module.
# constants M
The constants.
## constant LIMIT = 3
At most three.
# enum M.Kind
Kinds.
## entry ONE = 1
The first.
# class M.Box
A box.
## property Size as Integer
How big; see [[Open-2]].
Nothing: 0.
## method Open(name as String) as M.Box
Opens it.
Raises: BoxException "Box is shut" -4
## method Open() as M.Box
Opens the first; see [[Box.Size]] and [[Kind]].
## shared method Make(d as DateTime) as M.Box
Makes one.
```xojo
# not a heading inside a fence
```
"""


def build(descriptions=DESCRIPTIONS, listing=LISTING):
    return generate.build(listing, OLD_LISTING, descriptions, ERRORS)


class Generator(unittest.TestCase):
    def assertRefused(self, descriptions, *messages):
        with self.assertRaises(generate.DocError) as e:
            build(descriptions)
        for message in messages:
            self.assertIn(message, str(e.exception))

    def test_complete_descriptions_build_every_page(self):
        pages, owners = build()
        self.assertEqual(sorted(pages), ["Box.md", "Constants.md", "Enumerations.md", "M.md",
                                         "index.md"])
        box = pages["Box.md"]
        self.assertIn('<a id="Open-2"></a>', box)
        self.assertIn("[`Open`](#Open-2)", box)
        self.assertIn("[`Box.Size`](#Size)", box)
        self.assertIn("[`Kind`](Enumerations.md#Kind)", box)
        self.assertIn("**When there is nothing:** 0.", box)
        self.assertIn("[`BoxException`](../errors.md): Box is shut (ErrorNumber -4)", box)
        self.assertIn("# not a heading inside a fence", box)
        self.assertEqual(sum(len(o.members) for o in owners), 6)

    def test_member_missing_from_the_oldest_host_is_marked(self):
        box = build()[0]["Box.md"]
        make = box.index("`Make(d as DateTime) as M.Box`")
        self.assertIn("not by 2019.1", box[make:])
        self.assertNotIn("not by 2019.1", box[:make])

    def test_undescribed_member_fails(self):
        text = DESCRIPTIONS.replace("## method Open() as M.Box\n", "## method Open(x as Integer) as M.Box\n")
        self.assertRefused(text, "no description for '## method Open() as M.Box'",
                           "'method Open(x as Integer) as M.Box' is not registered")

    def test_description_of_an_unregistered_class_fails(self):
        self.assertRefused(DESCRIPTIONS + "# class M.Crate\nA crate.\n",
                           "'# class M.Crate' is not registered")

    def test_empty_description_counts_as_missing(self):
        self.assertRefused(DESCRIPTIONS.replace("At most three.\n", ""),
                           "no description for '## constant LIMIT = 3'")

    def test_raise_that_errors_md_does_not_list_fails(self):
        for wrong in ['BoxException "Box is shut" -5', 'BoxException "Box is open" -4',
                      'OtherException "Box is shut" -4', 'BoxException Box is shut']:
            with self.subTest(wrong=wrong):
                self.assertRefused(DESCRIPTIONS.replace('BoxException "Box is shut" -4', wrong),
                                   "docs/errors.md" if '"' in wrong else "malformed")

    def test_reference_to_nothing_fails(self):
        self.assertRefused(DESCRIPTIONS.replace("[[Box.Size]]", "[[Box.Weight]]"), "[[Box.Weight]]")

    def test_member_described_twice_fails(self):
        self.assertRefused(DESCRIPTIONS.replace(
            "## method Open() as M.Box\n", "## method Open() as M.Box\nA.\n## method Open() as M.Box\n"),
            "described twice")


if __name__ == "__main__":
    unittest.main()
