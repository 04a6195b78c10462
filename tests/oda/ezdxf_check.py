#!/usr/bin/python3
"""Reads a drawing with ezdxf in recover mode, audits it and prints what it found as one JSON
object.

Used by the drawing layer's tests as an independent reader of the files the layer writes.
"""
import collections
import json
import re
import sys

from ezdxf import recover
from ezdxf.lldxf import encoding

# ezdxf 0.18 splits "\U+XXXX" escapes with capital digits only and fails on the rest, which
# writers such as LibreCAD's use; it reads both once its pattern takes either.
encoding.BACKSLASH_UNICODE = re.compile(r"(\\U\+[A-Fa-f0-9]{4})")


def attributes(doc):
    """The attributes of the block references in every layout, as make_attribute_samples.py
    lists them; layouts have names from release 2000 on."""
    result = []
    for name in doc.layouts.names_in_taborder():
        layout = doc.layouts.get(name)
        for insert in layout.query("INSERT"):
            for attrib in insert.attribs:
                value = attrib.dxf.text
                if attrib.has_embedded_mtext_entity:
                    value = attrib.virtual_mtext_entity().text
                result.append({"handle": insert.dxf.handle,
                               "layout": name if doc.dxfversion > "AC1009" else "",
                               "paperSpace": layout.is_any_paperspace,
                               "block": insert.dxf.name, "tag": attrib.dxf.tag, "value": value})
    return result


def main(path):
    try:
        # Recover mode is the strictest about a record's structure, such as extended data
        # that is not the last part of its record.
        doc, auditor = recover.readfile(path)
    except Exception as error:  # any failure to read is the finding
        print(json.dumps({"readError": str(error)}))
        return 0
    xrefs = {}
    for layout in doc.blocks:
        block = layout.block
        if block.is_xref:
            xrefs[block.dxf.name] = block.dxf.get("xref_path", "")
    inserts = collections.Counter(e.dxf.name for e in doc.modelspace().query("INSERT"))
    report = {
        "errors": [str(e.message) for e in auditor.errors],
        "fixes": len(auditor.fixes),
        "xrefs": xrefs,
        "inserts": dict(inserts),
        "images": [d.dxf.filename for d in doc.objects.query("IMAGEDEF")],
        "pdfs": [d.dxf.filename for d in doc.objects.query("PDFDEFINITION")],
        "modelspace": dict(collections.Counter(e.dxftype() for e in doc.modelspace())),
        "attributes": attributes(doc),
    }
    print(json.dumps(report))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
