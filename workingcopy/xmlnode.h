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

    bool isElement() const { return kind == Element; }
    // "" when absent.
    QString attribute(const QString &attributeName) const;
    void setAttribute(const QString &attributeName, const QString &attributeValue);
};
