#pragma once

#include "xmlnode.h"

class QByteArray;

// Reads any well-formed XML into nodes with QXmlStreamReader: elements, text, CDATA, comments,
// processing instructions and the DTD, as the file database keeps them. Layout white space
// between elements is dropped, and so is the XML declaration.
class XmlTreeReader
{
public:
    // The top-level nodes of bytes. False, with the place and reason in errorMessage, when
    // bytes are not well-formed.
    static bool read(const QByteArray &bytes, std::vector<XmlNode> *nodes, QString *errorMessage);
};
