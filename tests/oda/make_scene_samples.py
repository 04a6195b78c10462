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

doc, msp = drawing()
doc.add_xref_def("parts\\part.dxf", "part")
ref = msp.add_blockref("part", (100, 50), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 90})
probes["xref line"] = {"color": "#0000c8", "box": box_of([part_line], ref.matrix44())}
nested = ezdxf.math.Matrix44.translate(20, 0, 0) @ ref.matrix44()
probes["nested xref circle"] = {"color": "#00c800", "box": box_of([sub_circle], nested)}
doc.add_xref_def("C:\\missing\\ghost.dwg", "ghost")
msp.add_blockref("ghost", (-50, 0))

with open(os.path.join(OUT, "photo.png"), "wb") as f:
    f.write(png(40, 20))
photo = doc.add_image_def("photo.png", size_in_pixel=(40, 20))
msp.add_image(photo, insert=(0, -40), size_in_units=(20, 10))
lost = doc.add_image_def("lost.png", size_in_pixel=(40, 20))
msp.add_image(lost, insert=(30, -40), size_in_units=(20, 10))
with open(os.path.join(OUT, "doc.pdf"), "wb") as f:
    f.write(b"%PDF-1.4\n1 0 obj << /Type /Page /MediaBox [0 0 200 100] >> endobj\n%%EOF\n")
pdf = doc.add_underlay_def("doc.pdf", fmt="pdf", name="1")
msp.add_underlay(pdf, insert=(60, -60), scale=0.1)

probe("ellipse", msp.add_ellipse((50, 100), major_axis=(20, 5), ratio=0.5), (250, 0, 1))
probe("elliptic arc", msp.add_ellipse((100, 100), major_axis=(0, 10), ratio=0.3, start_param=0.5,
                                     end_param=2.5), (250, 0, 2))
probe("control point spline", msp.add_open_spline([(0, 0), (10, 20), (30, -10), (40, 10), (60, 0)],
                                                  degree=3), (250, 0, 3))
fit = [(0, 200), (10, 215), (25, 195), (40, 210)]
msp.add_spline(fit).rgb = (250, 0, 4)
probes["fit point spline"] = {"color": "#fa0004", "through": fit}
probe("lwpolyline with bulges", msp.add_lwpolyline([(0, 250, 0, 0, 1), (10, 250, 0, 0, -0.5), (10, 260)],
                                                    format="xyseb"), (250, 0, 5))
solid = msp.add_hatch()
solid.paths.add_polyline_path([(0, 300), (10, 300), (10, 310), (0, 310)], is_closed=True)
probe("solid hatch", solid, (250, 0, 6))
pattern = msp.add_hatch()
pattern.set_pattern_fill("ANSI31", scale=0.5)
edges = pattern.paths.add_edge_path()
edges.add_line((20, 300), (40, 300))
edges.add_arc((40, 310), radius=10, start_angle=270, end_angle=90)
edges.add_line((40, 320), (20, 320))
edges.add_ellipse((20, 310), major_axis=(0, 10), ratio=0.5, start_angle=90, end_angle=270)
probe("pattern hatch with arc and ellipse edges", pattern, (250, 0, 7))
# Lines and arrows of the dimension's picture take the dimension's colour.
dim = msp.add_linear_dim(base=(0, 360), p1=(0, 350), p2=(40, 350), dimstyle="EZDXF",
                         override={"dimclrd": 0, "dimclre": 0, "dimclrt": 0})
dim.render()
probe("dimension", dim.dimension, (250, 0, 8))
msp.add_mtext("Line one\\PLine {\\C1;two}", dxfattribs={"insert": (0, 400), "char_height": 2.5,
                                                        "attachment_point": 1})
doc.layers.add("OFF", color=3).off()
doc.layers.add("FROZEN").freeze()
msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "OFF", "true_color": ezdxf.rgb2int((250, 0, 9))})
msp.add_line((0, 0), (1, 1), dxfattribs={"layer": "FROZEN", "true_color": ezdxf.rgb2int((250, 0, 10))})
tag = doc.blocks.new("TAG")
tag.add_circle((0, 0), 1)
tag.add_attdef("NUMBER", (2, 0), dxfattribs={"height": 1.5})
tagged = msp.add_blockref("TAG", (200, 0))
tagged.add_auto_attribs({"NUMBER": "VALUE-42"})
attrib = tagged.attribs[0]
probes["attribute"] = {"text": "VALUE-42", "at": [attrib.dxf.insert.x, attrib.dxf.insert.y]}
doc.saveas(os.path.join(OUT, "main.dxf"))

# Two drawings that reference each other.
for name, other, color in (("ring-a", "ring-b", (1, 2, 3)), ("ring-b", "ring-a", (4, 5, 6))):
    ring, ring_msp = drawing()
    ring_msp.add_circle((0, 0), 5, dxfattribs={"true_color": ezdxf.rgb2int(color)})
    ring.add_xref_def(other + ".dxf", other)
    ring_msp.add_blockref(other, (20, 0))
    ring.saveas(os.path.join(OUT, name + ".dxf"))

print(json.dumps(probes))
