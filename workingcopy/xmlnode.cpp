#include "xmlnode.h"

XmlNode XmlNode::make(Kind kind, const QString &name, const QString &value)
{
    XmlNode node;
    node.kind = kind;
    node.name = name;
    node.value = value;
    return node;
}

QString XmlNode::attribute(const QString &attributeName) const
{
    for (const auto &attribute : attributes) {
        if (attribute.first == attributeName)
            return attribute.second;
    }
    return QString();
}

void XmlNode::setAttribute(const QString &attributeName, const QString &attributeValue)
{
    for (auto &attribute : attributes) {
        if (attribute.first == attributeName) {
            attribute.second = attributeValue;
            return;
        }
    }
    attributes.append(qMakePair(attributeName, attributeValue));
}
