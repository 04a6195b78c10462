#include "xmlnode.h"

XmlNode XmlNode::make(Kind kind, const QString &name, const QString &value)
{
    XmlNode node;
    node.kind = kind;
    node.name = name;
    node.value = value;
    return node;
}

QString XmlNode::carriable(const QString &text)
{
    QString result = text; // shared with text until a character is replaced
    const int length = text.size();
    for (int i = 0; i < length; ++i) {
        const char16_t c = text.at(i).unicode();
        bool carried = true;
        if (c < 0x20) {
            carried = c == '\t' || c == '\n' || c == '\r';
        } else if (QChar::isHighSurrogate(c)) {
            carried = i + 1 < length && text.at(i + 1).isLowSurrogate();
            if (carried)
                ++i; // the pair's low half
        } else {
            carried = !QChar::isLowSurrogate(c) && c < 0xFFFE;
        }
        if (!carried)
            result[i] = QChar(0xFFFD);
    }
    return result;
}

QString XmlNode::attribute(const QString &attributeName) const
{
    for (const auto &attribute : m_attributes) {
        if (attribute.first == attributeName)
            return attribute.second;
    }
    return QString();
}

void XmlNode::setAttribute(const QString &attributeName, const QString &attributeValue)
{
    const QString value = carriable(attributeValue);
    m_written.clear();
    for (auto &attribute : m_attributes) {
        if (attribute.first == attributeName) {
            attribute.second = value;
            return;
        }
    }
    m_attributes.append(qMakePair(attributeName, value));
}

void XmlNode::appendReadAttribute(const QString &attributeName, const QString &attributeValue)
{
    m_written.clear();
    m_attributes.append(qMakePair(attributeName, attributeValue));
}
