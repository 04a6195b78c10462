#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

#include <vector>

// One node of the file database's XML: an element with its attributes in file order and its
// children, or a text, comment, processing instruction or DTD kept as read. An element without
// children also keeps the form it was last written in, until an attribute changes, so that a
// database of thousands of entries is written mostly by copying.
struct XmlNode
{
    using Attributes = QVector<QPair<QString, QString>>;
    enum Kind { Element, Text, CData, Comment, ProcessingInstruction, Dtd };

    Kind kind = Element;
    QString name;  // element tag, instruction target; fixed once the node is made
    QString value; // text, comment, instruction data, DTD
    std::vector<XmlNode> children;

    static XmlNode make(Kind kind, const QString &name, const QString &value = QString());

    // text with each character that XML cannot carry (control characters other than tab and
    // line breaks, stray surrogate halves, U+FFFE and U+FFFF) replaced by U+FFFD, so that what
    // is held is what a file written from it reads back.
    static QString carriable(const QString &text);

    bool isElement() const { return kind == Element; }
    // "" when absent.
    QString attribute(const QString &attributeName) const;
    // Sets the value as carriable() makes it; an attribute that is new goes last.
    void setAttribute(const QString &attributeName, const QString &attributeValue);
    const Attributes &attributes() const { return m_attributes; }
    // For readers: appends an attribute as read, without looking for one of the same name.
    void appendReadAttribute(const QString &attributeName, const QString &attributeValue);
    void reserveAttributes(int count) { m_attributes.reserve(count); }

    // The element as the writer wrote it last, while it has no children; empty when unknown.
    const QByteArray &written() const { return m_written; }
    void setWritten(const QByteArray &bytes) const { m_written = bytes; }

private:
    Attributes m_attributes;
    mutable QByteArray m_written; // cache of the writer, which works on const nodes
};
