#pragma once

#include <QPair>
#include <QString>
#include <QVector>

#include <vector>

// One node of the file database's XML: an element with its attributes in file order and its
// children, or a text, comment, processing instruction or DTD kept as read.
struct XmlNode
{
    enum Kind { Element, Text, CData, Comment, ProcessingInstruction, Dtd };

    Kind kind = Element;
    QString name;  // element tag, instruction target
    QString value; // text, comment, instruction data, DTD
    QVector<QPair<QString, QString>> attributes;
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
};
