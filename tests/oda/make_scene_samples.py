#!/usr/bin/python3
"""Writes drawings for the scene tests into the folder given, with ezdxf, and prints what each
probe should become as JSON: the world box of each entity (found in the scene by its own true
colour), texts with their anchors, images and frames. The boxes come from ezdxf's own bounding
boxes, so the test checks the scene against the drawing's data, not against our reading of it."""

import json
import os
import struct
import sys
import zlib

import ezdxf
from ezdxf import bbox
from ezdxf.math import Vec3

OUT = sys.argv[1]
probes = {}


def png(width, height):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend((x * 5 % 256, y * 9 % 256, 128))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw)))
            + chunk(b"IEND", b""))


def box_of(entities, matrix=None):
    box = bbox.extents(entities)
    if matrix is not None:
        corners = [Vec3(box.extmin.x, box.extmin.y), Vec3(box.extmax.x, box.extmin.y),
                   Vec3(box.extmax.x, box.extmax.y), Vec3(box.extmin.x, box.extmax.y)]
        pts = list(matrix.transform_vertices(corners))
        xs, ys = [p.x for p in pts], [p.y for p in pts]
        return [min(xs), min(ys), max(xs), max(ys)]
    return [box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y]


def probe(name, entity, rgb):
    entity.rgb = rgb
    probes[name] = {"color": "#%02x%02x%02x" % rgb, "box": box_of([entity])}


def drawing():
    doc = ezdxf.new("R2013", setup=True)
    return doc, doc.modelspace()


# A referenced drawing with a nested reference of its own.
sub, sub_msp = drawing()
sub_circle = sub_msp.add_circle((2, 2), 1, dxfattribs={"true_color": ezdxf.rgb2int((0, 200, 0))})
os.makedirs(os.path.join(OUT, "parts"), exist_ok=True)
sub.saveas(os.path.join(OUT, "parts", "sub.dxf"))
part, part_msp = drawing()
part_line = part_msp.add_line((0, 0), (10, 5), dxfattribs={"true_color": ezdxf.rgb2int((0, 0, 200))})
part.add_xref_def("sub.dxf", "sub")
part_msp.add_blockref("sub", (20, 0))
part.saveas(os.path.join(OUT, "parts", "part.dxf"))

# The main drawing: one family per cell of a grid, each with a label below it.
doc, msp = drawing()


def label(text, x, y):
    msp.add_text(text, dxfattribs={"height": 2.5, "insert": (x, y - 8)})


doc.add_xref_def("parts\\part.dxf", "part")
ref = msp.add_blockref("part", (30, 120), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 90})
probes["xref line"] = {"color": "#0000c8", "box": box_of([part_line], ref.matrix44())}
nested = ezdxf.math.Matrix44.translate(20, 0, 0) @ ref.matrix44()
probes["nested xref circle"] = {"color": "#00c800", "box": box_of([sub_circle], nested)}
label("reference, nested one", 0, 120)
doc.add_xref_def("C:\\missing\\ghost.dwg", "ghost")
msp.add_blockref("ghost", (80, 125))
probes["missing reference"] = {"text": "C:\\missing\\ghost.dwg", "inside": [80, 125]}
label("missing reference", 70, 120)

with open(os.path.join(OUT, "photo.png"), "wb") as f:
    f.write(png(40, 20))
photo = doc.add_image_def("photo.png", size_in_pixel=(40, 20))
msp.add_image(photo, insert=(160, 120), size_in_units=(20, 10))
probes["image"] = {"box": [160, 120, 180, 130]}
lost = doc.add_image_def("lost.png", size_in_pixel=(40, 20))
msp.add_image(lost, insert=(190, 120), size_in_units=(20, 10))
probes["missing image"] = {"text": "lost.png", "inside": [200, 125]}
label("image, missing image", 160, 120)
with open(os.path.join(OUT, "doc.pdf"), "wb") as f:
    f.write(b"%PDF-1.4\n1 0 obj << /Type /Page /MediaBox [0 0 200 100] >> endobj\n%%EOF\n")
pdf = doc.add_underlay_def("doc.pdf", fmt="pdf", name="1")
msp.add_underlay(pdf, insert=(240, 120), scale=0.1)
# A page of 200 by 100 points at a tenth, labelled in its middle.
probes["pdf underlay"] = {"text": "doc.pdf, page 1", "at": [250, 125]}
label("PDF underlay", 240, 120)

probe("ellipse", msp.add_ellipse((20, 70), major_axis=(20, 5), ratio=0.5), (250, 0, 1))
probe("elliptic arc", msp.add_ellipse((60, 70), major_axis=(0, 10), ratio=0.3, start_param=0.5,
                                     end_param=2.5), (250, 0, 2))
label("ellipse, elliptic arc", 0, 60)
probe("control point spline", msp.add_open_spline([(80, 60), (90, 80), (110, 50), (120, 70), (140, 60)],
                                                  degree=3), (250, 0, 3))
fit = [(160, 60), (170, 75), (185, 55), (200, 70)]
msp.add_spline(fit)
label("splines: control, fit points", 80, 60)
probe("lwpolyline with bulges", msp.add_lwpolyline([(240, 60, 0, 0, 1), (250, 60, 0, 0, -0.5), (250, 70)],
                                                    format="xyseb"), (250, 0, 5))
label("polyline with bulges", 240, 60)
probe("polyline of vertices", msp.add_polyline2d([(270, 60), (274, 60), (274, 63)], close=True),
      (250, 0, 11))
solid = msp.add_hatch()
solid.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
probe("solid hatch", solid, (250, 0, 6))
pattern = msp.add_hatch()
pattern.set_pattern_fill("ANSI31", scale=0.5)
edges = pattern.paths.add_edge_path()
edges.add_line((20, 0), (40, 0))
edges.add_arc((40, 10), radius=10, start_angle=270, end_angle=90)
edges.add_line((40, 20), (20, 20))
edges.add_ellipse((20, 10), major_axis=(0, 10), ratio=0.5, start_angle=0, end_angle=180)
probe("pattern hatch with arc and ellipse edges", pattern, (250, 0, 7))
label("hatches: solid, pattern", 0, 0)
# Lines, arrows and text of the dimension's picture take the dimension's colour.
dim = msp.add_linear_dim(base=(80, 10), p1=(80, 0), p2=(120, 0), dimstyle="EZDXF",
                         override={"dimclrd": 0, "dimclre": 0, "dimclrt": 0, "dimtxt": 2.5,
                                   "dimasz": 2.5, "dimlfac": 1})
dim.render()
dim.dimension.rgb = (250, 0, 8)
# What of its picture takes the dimension's colour ("by block"); its text is checked as a text.
picture = [e for e in doc.blocks.get(dim.dimension.dxf.geometry)
           if e.dxf.color == 0 and e.dxftype() != "MTEXT"]
probes["dimension"] = {"color": "#fa0008", "box": box_of(picture)}
probes["dimension text"] = {"text": "40"}
label("dimension", 80, 0)
msp.add_mtext("Line one\\PLine {\\C1;two}", dxfattribs={"insert": (160, 15), "char_height": 2.5,
                                                          "attachment_point": 1})
probes["paragraph text"] = {"lines": ["Line one", "Line two"], "at": [160, 15], "height": 2.5}
doc.layers.add("OFF", color=3).off()
doc.layers.add("FROZEN").freeze()
msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "OFF", "true_color": ezdxf.rgb2int((250, 0, 9))})
msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "FROZEN", "true_color": ezdxf.rgb2int((250, 0, 10))})
label("paragraph text", 160, 0)
tag = doc.blocks.new("TAG")
tag.add_circle((0, 0), 3)
tag.add_attdef("NUMBER", (4, 0), dxfattribs={"height": 2.5})
tagged = msp.add_blockref("TAG", (245, 5))
tagged.add_auto_attribs({"NUMBER": "VALUE-42"})
attrib = tagged.attribs[0]
probes["attribute"] = {"text": "VALUE-42", "at": [attrib.dxf.insert.x, attrib.dxf.insert.y]}
label("block attribute", 240, 0)
doc.saveas(os.path.join(OUT, "main.dxf"))

print(json.dumps(probes))
