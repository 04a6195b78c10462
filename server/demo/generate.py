#!/usr/bin/python3
"""Writes the platform's demo files: DXF drawings (some titled .dwg) whose stored reference
paths look like another machine's, most with a title block, PNG images, small PDFs, a PNG
preview per drawing and manifest.json, which the platform's demo command reads. Run with
Debian's python3 (it needs python3-ezdxf); the output is committed, so the platform itself
never needs Python. Running it again writes the same bytes."""

import json
import math
import os
import struct
import sys
import zlib

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "files")


def png_bytes(width, height, pixel):
    """An 8-bit RGB PNG; pixel(x, y) gives (r, g, b)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def pattern_png(seed, width=96, height=64):
    def pixel(x, y):
        return ((x * 3 + seed * 40) % 256, (y * 4 + seed * 70) % 256,
                ((x ^ y) * 2 + seed * 20) % 256)
    return png_bytes(width, height, pixel)


def pdf_bytes(title, lines):
    """A one-page PDF with a few lines of Helvetica text and a correct cross-reference table."""
    text = ["BT /F1 18 Tf 56 780 Td (%s) Tj ET" % title]
    for i, line in enumerate(lines):
        text.append("BT /F1 11 Tf 56 %d Td (%s) Tj ET" % (740 - 16 * i, line))
    stream = "\n".join(text).encode("latin-1")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, xref)
    return bytes(out)


def segments_of(msp):
    segs = []
    for e in msp:
        kind = e.dxftype()
        if kind == "LINE":
            segs.append(((e.dxf.start.x, e.dxf.start.y), (e.dxf.end.x, e.dxf.end.y)))
        elif kind == "CIRCLE":
            c, r = e.dxf.center, e.dxf.radius
            pts = [(c.x + r * math.cos(a * math.pi / 16), c.y + r * math.sin(a * math.pi / 16))
                   for a in range(33)]
            segs.extend(zip(pts, pts[1:]))
        elif kind == "LWPOLYLINE":
            pts = [(p[0], p[1]) for p in e.get_points()]
            if e.closed:
                pts.append(pts[0])
            segs.extend(zip(pts, pts[1:]))
    return segs


def preview_png(msp, width=256, height=192):
    segs = segments_of(msp)
    xs = [p[0] for s in segs for p in s]
    ys = [p[1] for s in segs for p in s]
    minx, maxx, miny, maxy = min(xs), max(xs), min(ys), max(ys)
    scale = min((width - 16) / max(maxx - minx, 1e-9), (height - 16) / max(maxy - miny, 1e-9))
    ink = set()
    for (x0, y0), (x1, y1) in segs:
        ax, ay = 8 + (x0 - minx) * scale, height - 8 - (y0 - miny) * scale
        bx, by = 8 + (x1 - minx) * scale, height - 8 - (y1 - miny) * scale
        steps = int(max(abs(bx - ax), abs(by - ay))) + 1
        for i in range(steps + 1):
            t = i / steps
            ink.add((int(ax + (bx - ax) * t), int(ay + (by - ay) * t)))
    return png_bytes(width, height,
                     lambda x, y: (30, 60, 110) if (x, y) in ink else (250, 250, 250))


def new_drawing():
    doc = ezdxf.new("R2013", setup=True)
    return doc, doc.modelspace()


# The title block: a frame of cells with the attributes the platform's default mapping reads,
# each as (tag, prompt, insertion point and height of its text in the block's units).
TITLE_BLOCK_SIZE = (40, 12)
TITLE_BLOCK_ATTRIBUTES = [
    ("TITLE", "Drawing title", (1, 7.5), 2.0),
    ("DWG_NO", "Drawing number", (1, 1.5), 1.6),
    ("REV", "Revision", (23, 1.5), 1.6),
    ("SHEET", "Sheet", (29, 1.5), 1.6),
]


def define_title_block(doc):
    width, height = TITLE_BLOCK_SIZE
    block = doc.blocks.new(name="TITLEBLOCK")
    block.add_lwpolyline([(0, 0), (width, 0), (width, height), (0, height)], close=True)
    block.add_line((0, 5), (width, 5))
    block.add_line((22, 0), (22, 5))
    block.add_line((28, 0), (28, 5))
    for tag, prompt, at, size in TITLE_BLOCK_ATTRIBUTES:
        block.add_attdef(tag, at, dxfattribs={"prompt": prompt, "height": size})


def place_title_block(doc, values):
    """The title block at the lower right of the first layout's A3 sheet, its attributes filled
    in with values (tag -> text). On the sheet, as drawings carry it: a drawing placed in another
    as a reference brings its model space only, so title blocks never stack up."""
    define_title_block(doc)
    sheet = doc.layout("Layout1")
    sheet_width, sheet_height, margin, scale = 420, 297, 10, 4
    sheet.add_lwpolyline([(margin, margin), (sheet_width - margin, margin),
                          (sheet_width - margin, sheet_height - margin),
                          (margin, sheet_height - margin)], close=True)
    width, _ = TITLE_BLOCK_SIZE
    insert = sheet.add_blockref("TITLEBLOCK", (sheet_width - margin - width * scale, margin),
                                dxfattribs={"xscale": scale, "yscale": scale})
    insert.add_auto_attribs(values)


def frame(msp, w, h):
    msp.add_lwpolyline([(0, 0), (w, 0), (w, h), (0, h)], close=True)


def geometry(kind, msp):
    if kind == "bridge":
        frame(msp, 120, 40)
        msp.add_line((0, 20), (120, 20))
        for x in range(0, 121, 20):
            msp.add_line((x, 0), (x, 20))
        msp.add_circle((60, 20), 18)
    elif kind == "deck":
        frame(msp, 100, 12)
        for x in range(0, 101, 10):
            msp.add_line((x, 0), (x + 5, 12))
    elif kind == "piers":
        for x in (10, 40, 70, 100):
            msp.add_lwpolyline([(x, 0), (x + 8, 0), (x + 6, 30), (x + 2, 30)], close=True)
    elif kind == "rebar":
        for y in range(0, 21, 4):
            msp.add_line((0, y), (60, y))
        for x in range(0, 61, 6):
            msp.add_circle((x, 10), 1.2)
    elif kind == "tower":
        frame(msp, 30, 90)
        for y in range(10, 90, 10):
            msp.add_line((0, y), (30, y))
    elif kind == "core":
        frame(msp, 20, 20)
        msp.add_line((0, 0), (20, 20))
        msp.add_line((0, 20), (20, 0))
    elif kind == "stair":
        pts = [(0, 0)]
        for i in range(10):
            pts += [(i * 3, (i + 1) * 2), ((i + 1) * 3, (i + 1) * 2)]
        msp.add_lwpolyline(pts)
    elif kind == "quay":
        frame(msp, 150, 50)
        msp.add_lwpolyline([(0, 30), (50, 35), (100, 28), (150, 33)])
        for x in range(10, 150, 28):
            msp.add_circle((x, 42), 3)
    elif kind == "crane":
        msp.add_line((0, 0), (0, 60))
        msp.add_line((0, 60), (45, 60))
        msp.add_line((0, 50), (45, 60))
        msp.add_line((40, 60), (40, 30))


# Each drawing: title, geometry, external references (block name, stored path, insertion point
# when not the origin), images (placed from "imagesAt", else below the drawing) and PDF underlays
# (stored paths). Stored paths deliberately come from other machines.
DRAWINGS = [
    {"space": "Common Space", "title": "bridge.dwg", "kind": "bridge",
     "xrefs": [("deck", "C:\\Projects\\Bridge\\deck.dwg", (10, 40)), ("piers", "..\\Bridge\\piers.dxf")],
     "images": ["..\\images\\logo.png"], "pdfs": ["C:\\Projects\\Bridge\\documents\\load-table.pdf"]},
    {"space": "Common Space", "title": "deck.dwg", "kind": "deck",
     "xrefs": [("rebar", "rebar.dxf")],
     "images": ["C:\\Users\\jdoe\\Pictures\\deck-photo.png"], "imagesAt": (70, 14), "pdfs": [],
     "lockedBy": "bob"},
    {"space": "Common Space", "title": "piers.dxf", "kind": "piers",
     "xrefs": [("rebar", "rebar.dxf")], "images": [], "pdfs": []},
    {"space": "Common Space", "title": "rebar.dxf", "kind": "rebar",
     "xrefs": [], "images": [], "pdfs": []},
    {"space": "Bridge Project", "title": "tower.dwg", "kind": "tower",
     "xrefs": [("core", "D:\\Work\\Tower\\core.dwg")],
     "images": ["facade.png"], "pdfs": ["..\\docs\\tower-brief.pdf"]},
    {"space": "Bridge Project", "title": "core.dwg", "kind": "core",
     "xrefs": [("stair", "\\\\fileserver\\cad\\stair.dxf")], "images": [], "pdfs": []},
    {"space": "Bridge Project", "title": "stair.dxf", "kind": "stair",
     "xrefs": [], "images": [], "pdfs": [], "lockedBy": "bob"},
    {"space": "Harbour Works", "title": "quay.dxf", "kind": "quay",
     "xrefs": [("crane", "C:\\Harbour\\crane.dwg")],
     "images": ["..\\images\\harbour-aerial.png"], "pdfs": ["berth-schedule.pdf"],
     "lockedBy": "carol"},
    {"space": "Harbour Works", "title": "crane.dwg", "kind": "crane",
     "xrefs": [], "images": [], "pdfs": []},
]

# What each drawing's title block says (number, title, revision, sheet), numbered per project;
# rebar.dxf has none, as many drawings have none.
TITLE_BLOCKS = {
    "bridge.dwg": ("BR-100-G", "Bridge general arrangement", "C", "1 of 4"),
    "deck.dwg": ("BR-204-S", "Deck slab reinforcement", "B", "2 of 4"),
    "piers.dxf": ("BR-310-S", "Piers elevation", "A", "3 of 4"),
    "tower.dwg": ("TW-100-A", "Tower elevation", "D", "1 of 3"),
    "core.dwg": ("TW-210-S", "Core plan", "B", "2 of 3"),
    "stair.dxf": ("TW-220-A", "Stair section", "A", "3 of 3"),
    "quay.dxf": ("HW-100-C", "Quay wall layout", "E", "1 of 2"),
    "crane.dwg": ("HW-150-M", "Crane rail details", "B", "2 of 2"),
}

PDF_TEXT = {
    "load-table.pdf": ("Load table", ["Span 20 m: 45 kN/m", "Span 40 m: 38 kN/m"]),
    "tower-brief.pdf": ("Tower brief", ["Height 90 m", "Core 20 x 20 m"]),
    "berth-schedule.pdf": ("Berth schedule", ["Berth 1: Mon-Wed", "Berth 2: Thu-Sun"]),
}


def base(path):
    return path.replace("\\", "/").split("/")[-1]


def main():
    # ezdxf writes the classes of the entities in use in the order of a set of names, which
    # follows the hash seed; a fixed seed, and fixed stamps and GUIDs, make every run the same.
    if os.environ.get("PYTHONHASHSEED") != "0":
        os.environ["PYTHONHASHSEED"] = "0"
        os.execv(sys.executable, [sys.executable] + sys.argv)
    ezdxf.options.write_fixed_meta_data_for_testing = True
    os.makedirs(OUT, exist_ok=True)
    manifest = []
    for seed, d in enumerate(DRAWINGS):
        doc, msp = new_drawing()
        geometry(d["kind"], msp)
        for name, path, *at in d["xrefs"]:
            doc.add_xref_def(path, name)
            msp.add_blockref(name, at[0] if at else (0, 0))
        x, y = d.get("imagesAt", (10, -30))
        for i, path in enumerate(d["images"]):
            image_def = doc.add_image_def(path, size_in_pixel=(96, 64))
            msp.add_image(image_def, insert=(x + 30 * i, y), size_in_units=(24, 16))
        for i, path in enumerate(d["pdfs"]):
            underlay_def = doc.add_underlay_def(path, fmt="pdf", name="1")
            msp.add_underlay(underlay_def, insert=(60 + 30 * i, -30), scale=0.05)
        block = TITLE_BLOCKS.get(d["title"])
        if block:
            place_title_block(doc, dict(zip(("DWG_NO", "TITLE", "REV", "SHEET"), block)))
        auditor = doc.audit()
        if auditor.has_errors:
            raise SystemExit("%s does not pass the audit" % d["title"])
        doc.saveas(os.path.join(OUT, d["title"]))
        preview = os.path.splitext(d["title"])[0] + ".preview.png"
        with open(os.path.join(OUT, preview), "wb") as f:
            f.write(preview_png(msp))
        for path in d["images"]:
            with open(os.path.join(OUT, base(path)), "wb") as f:
                f.write(pattern_png(seed))
        for path in d["pdfs"]:
            title, lines = PDF_TEXT[base(path)]
            with open(os.path.join(OUT, base(path)), "wb") as f:
                f.write(pdf_bytes(title, lines))
        entry = {
            "space": d["space"], "title": d["title"], "preview": preview,
            "references": [base(x[1]) for x in d["xrefs"]],
            "attachments": [base(p) for p in d["images"] + d["pdfs"]],
            "lockedBy": d.get("lockedBy", ""),
        }
        if block:
            entry["titleBlock"] = dict(zip(("number", "title", "revision", "sheet"), block))
        manifest.append(entry)
    with open(os.path.join(HERE, "manifest.json"), "w") as f:
        json.dump(manifest, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
