#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

#include <QHash>
#include <QString>
#include <QVector>

// The attribute values of the block references placed in a drawing's model space and paper-space
// layouts, as a title block's fields are read. A reference with attributes is an INSERT flagged
// so (code 66), followed by its ATTRIB records and a SEQEND. Entities of a layout lie in the
// ENTITIES section (paper space ones flagged by code 67) or in the layout's own block
// ("*Paper_Space0" and on) in the BLOCKS section. Only reads the document.
class TD_DB_EXPORT DxfAttributes
{
public:
    struct Attribute
    {
        QString block;           // the inserted block's name
        QString layout;          // as the drawing names it ("Model", "Layout1"); empty when
                                 // it names none, as before release 2000
        bool paperSpace = false;
        QString tag;
        QString value;           // as stored: formatting codes and control characters stay
        quint64 insert = 0;      // the INSERT's handle
    };

    explicit DxfAttributes(const DxfDocument &doc);

    // The attributes of every reference, in the order the file holds them.
    QVector<Attribute> list() const;

private:
    // Appends the attributes of the INSERT at record; returns the record after them.
    int readInsert(int record, const Attribute &placement, QVector<Attribute> *result) const;
    // Sets the tag and value of attribute to those of the ATTRIB at record.
    void readAttribute(int record, Attribute *attribute) const;
    // Layout names by the case-folded name of the block that holds the layout's entities.
    QHash<QString, QString> layoutNames() const;

    const DxfDocument &m_doc;
};
