#pragma once

#include "xmlnode.h"

#include <QHash>

class QByteArray;

// The content of filedb.xml in memory: the XML declaration, then the root element "files"
// holding one "file" element per entry. Read by hand when it holds only elements (as the
// database writes it), else with QXmlStreamReader, and written by hand: the general readers take
// many times longer than the plain read and write of the same bytes on a database of some
// thousand entries. Unknown content (comments, other elements) is kept.
class FileDatabaseDocument
{
public:
    // The declaration and an empty root.
    FileDatabaseDocument();

    // Replaces the content with the parsed bytes. False, with the reason in errorMessage and
    // the content unchanged, when they are not well-formed XML or not a database (a root
    // other than "files").
    bool parse(const QByteArray &bytes, QString *errorMessage);
    // The declaration with single quotes first, then every node indented by one space per
    // level, UTF-8.
    QByteArray serialize() const;

    // Whether the document holds elements only: no text, comment, instruction or DTD.
    bool isElementOnly() const;

    // The root element.
    XmlNode &root() { return m_nodes[m_rootIndex]; }
    const XmlNode &root() const { return m_nodes[m_rootIndex]; }

    // The first element named tag, at any depth, in document order, whose attribute
    // matchAttribute equals matchValue exactly; null when none does.
    const XmlNode *findElement(const QString &tag, const QString &matchAttribute,
                               const QString &matchValue) const;
    // A cache for the owner's look-ups of the root's children by a key of theirs: where the
    // first child of each key stands. Whoever changes the children keeps it or marks it
    // incomplete; whoever uses it checks a hit, and trusts a miss only while it is complete.
    struct ChildIndex
    {
        QHash<QString, std::size_t> at;
        bool complete = false; // every child's key is in at
    };
    ChildIndex &childIndex() const { return m_childIndex; }

private:
    std::vector<XmlNode> m_nodes; // top-level nodes other than the declaration
    std::size_t m_rootIndex = 0;
    mutable int m_lastSize = 0; // reserved for the next serialisation
    mutable ChildIndex m_childIndex;
};
