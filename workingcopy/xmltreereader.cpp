#include "xmltreereader.h"

#include <QByteArray>
#include <QXmlStreamReader>

bool XmlTreeReader::read(const QByteArray &bytes, std::vector<XmlNode> *nodes,
                         QString *errorMessage)
{
    // Every entry repeats the same few names; sharing one string for each saves an allocation
    // per attribute.
    QVector<QString> names;
    auto shared = [&names](const QStringRef &name) -> QString {
        for (const QString &known : qAsConst(names)) {
            if (name == known)
                return known;
        }
        names.append(name.toString());
        return names.constLast();
    };
    QXmlStreamReader reader(bytes);
    // Namespace declarations stay ordinary attributes, so they are written back as read.
    reader.setNamespaceProcessing(false);
    nodes->clear();
    // Open elements, innermost last. Only the innermost one gains children, so the pointers
    // into the enclosing vectors stay valid.
    std::vector<XmlNode *> open;
    auto append = [&](XmlNode node) -> XmlNode * {
        std::vector<XmlNode> &siblings = open.empty() ? *nodes : open.back()->children;
        siblings.push_back(std::move(node));
        return &siblings.back();
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            XmlNode element = XmlNode::make(XmlNode::Element, shared(reader.qualifiedName()));
            const QXmlStreamAttributes attributes = reader.attributes();
            element.reserveAttributes(attributes.size());
            for (const QXmlStreamAttribute &attribute : attributes) {
                element.appendReadAttribute(shared(attribute.qualifiedName()),
                                            attribute.value().toString());
            }
            open.push_back(append(std::move(element)));
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            // Layout white space between elements is not content.
            if (!reader.isWhitespace()) {
                append(XmlNode::make(reader.isCDATA() ? XmlNode::CData : XmlNode::Text, QString(),
                                     reader.text().toString()));
            }
            break;
        case QXmlStreamReader::Comment:
            append(XmlNode::make(XmlNode::Comment, QString(), reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            append(XmlNode::make(XmlNode::ProcessingInstruction,
                                 reader.processingInstructionTarget().toString(),
                                 reader.processingInstructionData().toString()));
            break;
        case QXmlStreamReader::DTD:
            append(XmlNode::make(XmlNode::Dtd, QString(), reader.text().toString()));
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (errorMessage) {
            *errorMessage = QStringLiteral("line %1, column %2: %3")
                                .arg(reader.lineNumber())
                                .arg(reader.columnNumber())
                                .arg(reader.errorString());
        }
        return false;
    }
    return true;
}
