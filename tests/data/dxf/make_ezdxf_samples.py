#!/usr/bin/python3
"""Writes the ezdxf-made sample drawings under ezdxf/ (run with Debian's python3-ezdxf).

The samples cover what the drawing layer has to keep and find: releases R12 to 2018, a
non-Western code page with characters outside it, a thumbnail, external references (nested,
relative, with backslashes, as .dwg files holding DXF text, and a cycle), raster images and PDF
underlays, dictionaries that carry extended data, and an R14 drawing with an image.
"""
import os
import struct
import sys

import ezdxf

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ezdxf")


def add_geometry(doc):
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 0))
    msp.add_circle((50, 50), 20)
    msp.add_arc((50, 50), 30, 0, 90)
    if doc.dxfversion > "AC1009":
        msp.add_lwpolyline([(0, 0), (10, 0, 0, 0, 1), (10, 10), (0, 10)], close=True)
    msp.add_polyline2d([(0, 60), (20, 70), (40, 60)])
    msp.add_text("Plan", dxfattribs={"height": 5}).set_placement((0, 90))
    block = doc.blocks.new("MARK")
    block.add_line((-1, -1), (1, 1))
    block.add_line((-1, 1), (1, -1))
    msp.add_blockref("MARK", (80, 80), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 45})


def save(doc, name):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    doc.saveas(path)
    return path


def thumbnail_section(width=8, height=4):
    """A THUMBNAILIMAGE section holding a 24-bit device-independent bitmap, red over blue."""
    row = b""
    for x in range(width):
        row += b"\x00\x00\xff" if x < width // 2 else b"\xff\x00\x00"
    row += b"\x00" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    data = (header + pixels).hex().upper()
    lines = ["  0", "SECTION", "  2", "THUMBNAILIMAGE", " 90", str(len(data) // 2)]
    for i in range(0, len(data), 254):
        lines += ["310", data[i:i + 254]]
    lines += ["  0", "ENDSEC"]
    return "\n".join(lines) + "\n"


def with_thumbnail_and_comment(path):
    text = open(path, encoding="utf-8").read()
    text = "999\nsample drawing with a thumbnail\n" + text
    text = text.replace("  0\nEOF\n", thumbnail_section() + "  0\nEOF\n")
    open(path, "w", encoding="utf-8", newline="").write(text)


def dictionaries_with_extended_data():
    """Extended data on the named-objects dictionary and on the image dictionary, as some CAD
    programs write them: new entries have to go in before it."""
    doc = ezdxf.new("R2013")
    add_geometry(doc)
    doc.appids.new("LINTRA_SAMPLE")
    doc.rootdict.set_xdata("LINTRA_SAMPLE", [(1000, "named objects"), (1070, 7)])
    scan = doc.add_image_def("scans\\SCAN.TIF", size_in_pixel=(8, 4))
    doc.modelspace().add_image(scan, insert=(0, 0), size_in_units=(8, 4))
    doc.rootdict["ACAD_IMAGE_DICT"].set_xdata("LINTRA_SAMPLE", [(1000, "images")])
    save(doc, "dictionary-xdata-r2013.dxf")


def release14_with_image():
    """R14 stores objects, owners and images as release 2000 does; ezdxf writes no R14, so an
    R2000 drawing takes its release number."""
    doc = ezdxf.new("R2000")
    add_geometry(doc)
    logo = doc.add_image_def("logo.png", size_in_pixel=(8, 4))
    doc.modelspace().add_image(logo, insert=(0, 0), size_in_units=(8, 4))
    path = save(doc, "r14-image.dxf")
    text = open(path, encoding="cp1252").read()
    text = text.replace("$ACADVER\n  1\nAC1015\n", "$ACADVER\n  1\nAC1014\n")
    open(path, "w", encoding="cp1252", newline="").write(text)


def main():
    # R12 in the Cyrillic code page; the Greek letter has no place in it and is escaped.
    doc = ezdxf.new("R12")
    doc.header["$DWGCODEPAGE"] = "ANSI_1251"
    doc.encoding = "cp1251"
    add_geometry(doc)
    doc.modelspace().add_text("Лист Ω", dxfattribs={"height": 3}).set_placement((0, 110))
    save(doc, "r12-cp1251.dxf")

    for version in ("R2000", "R2004", "R2007", "R2010", "R2013", "R2018"):
        doc = ezdxf.new(version)
        add_geometry(doc)
        save(doc, "geometry-%s.dxf" % version.lower())

    path = save(ezdxf.new("R2013"), "thumbnail-r2013.dxf")
    doc = ezdxf.readfile(path)
    add_geometry(doc)
    doc.saveas(path)
    with_thumbnail_and_comment(path)

    # A drawing with every kind of reference: images and PDFs found and missing.
    doc = ezdxf.new("R2018")
    add_geometry(doc)
    msp = doc.modelspace()
    doc.add_xref_def("parts\\bolt.dwg", "bolt")
    msp.add_blockref("bolt", (10, 10))
    doc.add_xref_def("parts\\gone.dxf", "gone")
    msp.add_blockref("gone", (20, 10))
    found = doc.add_image_def("logo.png", size_in_pixel=(8, 4))
    msp.add_image(found, insert=(0, 0), size_in_units=(8, 4))
    lost = doc.add_image_def("C:\\old\\missing.png", size_in_pixel=(8, 4))
    msp.add_image(lost, insert=(10, 0), size_in_units=(8, 4))
    pdf = doc.add_underlay_def("plan.pdf", fmt="pdf", name="1")
    msp.add_underlay(pdf, insert=(0, 20))
    gone = doc.add_underlay_def("..\\elsewhere\\lost.pdf", fmt="pdf", name="1")
    msp.add_underlay(gone, insert=(0, 40))
    save(doc, "refs/host.dxf")
    bolt = ezdxf.new("R2010")
    bolt.modelspace().add_circle((0, 0), 3)
    bolt.add_xref_def(".\\nut.dxf", "nut")
    bolt.modelspace().add_blockref("nut", (0, 0))
    save(bolt, "refs/parts/bolt.dwg")
    nut = ezdxf.new("R2000")
    nut.modelspace().add_circle((0, 0), 1)
    save(nut, "refs/parts/nut.dxf")

    dictionaries_with_extended_data()
    release14_with_image()

    # A cycle: ring-a references ring-b, which references ring-a again.
    for this, other in (("ring-a", "ring-b"), ("ring-b", "ring-a")):
        doc = ezdxf.new("R2018")
        doc.add_xref_def(other + ".dxf", other)
        doc.modelspace().add_blockref(other, (0, 0))
        save(doc, "cycle/%s.dxf" % this)
    return 0


if __name__ == "__main__":
    sys.exit(main())
