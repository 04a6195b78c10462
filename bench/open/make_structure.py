#!/usr/bin/python3
"""Writes the bench structure into a folder: main.dwg (DXF text) referencing PARTS drawings
part-NNN.dxf and one image, each part referencing an image of its own; stored paths look like
another machine's. Usage: make_structure.py FOLDER PARTS. Needs Debian's python3-ezdxf."""

import os
import struct
import sys
import zlib

import ezdxf


def png(seed):
    width, height = 32, 24
    rows = b"".join(b"\0" + bytes(v for x in range(width)
                                  for v in ((x * 7 + seed) % 256, (y * 9 + seed) % 256, seed % 256))
                    for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def drawing(xrefs, image):
    doc = ezdxf.new("R2018")
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 10))
    for i, (name, path) in enumerate(xrefs):
        doc.add_xref_def(path, name)
        msp.add_blockref(name, (20 * (i % 10), 20 * (i // 10)))
    image_def = doc.add_image_def(image, size_in_pixel=(32, 24))
    msp.add_image(image_def, insert=(-40, 0), size_in_units=(32, 24))
    return doc


def main(folder, parts):
    os.makedirs(folder, exist_ok=True)
    for i in range(parts):
        drawing([], "C:\\Users\\old\\images\\img-%03d.png" % i).saveas(
            os.path.join(folder, "part-%03d.dxf" % i))
        with open(os.path.join(folder, "img-%03d.png" % i), "wb") as f:
            f.write(png(i))
    xrefs = [("part-%03d" % i, "C:\\Projects\\Bench\\part-%03d.dxf" % i) for i in range(parts)]
    drawing(xrefs, "..\\images\\site.png").saveas(os.path.join(folder, "main.dwg"))
    with open(os.path.join(folder, "site.png"), "wb") as f:
        f.write(png(255))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2])))
