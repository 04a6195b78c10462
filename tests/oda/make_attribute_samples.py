#!/usr/bin/python3
"""Writes drawings with title blocks into the folder given, with ezdxf, and prints as JSON what
each holds: by file, the attributes written, each as {"handle", "layout", "paperSpace", "block",
"tag", "value"} in the order written. The list comes from what this script put in, so the test
checks the drawing layer against the values themselves, not against another reading of them."""

import json
import os
import sys

import ezdxf
from ezdxf.entities import MText

OUT = sys.argv[1]
FIELDS = ("TITLE", "NUMBER", "DRAWN")
LONG_VALUE = "".join("note %04d; " % i for i in range(110))  # 1,210 characters


def new_drawing(version, code_page=None):
    doc = ezdxf.new(version)
    if code_page:
        doc.header["$DWGCODEPAGE"] = "ANSI_%d" % code_page
        doc.encoding = "cp%d" % code_page
    block = doc.blocks.new("A3-FRAME")
    for row, tag in enumerate(FIELDS):
        block.add_attdef(tag, (0, row * 5))
    mark = doc.blocks.new("NORTH")
    mark.add_line((0, 0), (0, 10))
    return doc, []


def place(doc, written, layout, values, name="A3-FRAME"):
    """Inserts the title block into layout with values, by tag, and notes what went in."""
    insert = layout.add_blockref(name, (0, 0))
    insert.add_auto_attribs(values)
    named = doc.dxfversion > "AC1009"
    for tag, value in values.items():
        written.append({"handle": insert.dxf.handle, "layout": layout.name if named else "",
                        "paperSpace": layout.is_any_paperspace, "block": name, "tag": tag,
                        "value": value})
    return insert


def values(title, number, drawn):
    return dict(zip(FIELDS, (title, number, drawn)))


def save(doc, name, written, expected):
    doc.saveas(os.path.join(OUT, name))
    expected[name] = written


def several_layouts(version, expected):
    """Title blocks in model space, twice; in the first layout (in the ENTITIES section) and in
    a second one (in its own block); a reference without attributes between them."""
    doc, written = new_drawing(version)
    msp = doc.modelspace()
    place(doc, written, msp, values("Ground floor", "A-101", "K. Weiß"))
    msp.add_blockref("NORTH", (50, 50))
    place(doc, written, msp, values("First floor", "A-102", "K. Weiß"))
    place(doc, written, doc.layout("Layout1"), values("Site plan", "S-001", "L. Ngata"))
    place(doc, written, doc.layouts.new("Sections"), values("Sections", "B-7", "tab\there"))
    save(doc, "layouts-%s.dxf" % version.lower(), written, expected)


def texts(version, code_page, expected):
    """Values beyond ASCII and one over 1,024 characters; paragraph attributes of several lines
    come with release 2018."""
    doc, written = new_drawing(version, code_page)
    msp = doc.modelspace()
    place(doc, written, msp, values("Чертёж общего вида", "№ 17 – €", LONG_VALUE))
    if doc.dxfversion >= "AC1032":
        insert = place(doc, written, msp, values("Ĳssel – Ωmega", "ü", "日本"))
        paragraph = MText.new(dxfattribs={"insert": (0, 20)})
        paragraph.text = "Revision B\\Pchecked: Ωmega ✓ " + "x" * 600
        insert.add_attrib("NOTES", "", (0, 20)).set_mtext(paragraph)
        written.append(dict(written[-1], tag="NOTES", value=paragraph.text))
    save(doc, "texts-%s%s.dxf" % (version.lower(), "-cp%d" % code_page if code_page else ""),
         written, expected)


def without_attributes(expected):
    """Block references and text, but no attribute anywhere."""
    doc, written = new_drawing("R2013")
    doc.modelspace().add_blockref("NORTH", (0, 0))
    doc.modelspace().add_text("no title block")
    doc.layout("Layout1").add_blockref("NORTH", (0, 0))
    save(doc, "none-r2013.dxf", written, expected)


def main():
    expected = {}
    several_layouts("R2000", expected)
    several_layouts("R2018", expected)
    texts("R12", 1252, expected)
    texts("R2000", 1251, expected)
    texts("R2018", None, expected)
    without_attributes(expected)
    print(json.dumps(expected))


main()
