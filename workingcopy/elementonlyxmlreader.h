#pragma once

#include "xmlnode.h"

class QByteArray;

// Reads the XML that the file database writes, straight from the bytes and many times faster
// than a general parser: an optional UTF-8 declaration, then elements with attributes and
// white space between them. It declines everything else (text, comments, instructions, a DTD,
// a byte-order mark, other encodings, names other than ASCII letters, digits, "_", "-" and ".",
// line breaks and tabs typed into attribute values) and every document that is not
// well-formed, for the general reader (XmlTreeReader) to read or to report.
class ElementOnlyXmlReader
{
public:
    // The top-level nodes of bytes, as XmlTreeReader reads them; false when declined.
    static bool read(const QByteArray &bytes, std::vector<XmlNode> *nodes);
};
