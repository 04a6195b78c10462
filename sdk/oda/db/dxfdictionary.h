#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

#include <QString>
#include <QVector>

// One DICTIONARY object of a drawing, addressed by its handle so that it stays valid across
// edits: its entries in the dictionary's own order, look-up, and adding or removing entries.
class TD_DB_EXPORT DxfDictionary
{
public:
    struct Entry
    {
        QString name;
        quint64 handle = 0;
    };

    DxfDictionary(DxfDocument &doc, quint64 handle);

    bool isValid() const { return record() >= 0; }
    quint64 handle() const { return m_handle; }
    QVector<Entry> entries() const;
    quint64 lookup(const QString &name) const;
    // The sub-dictionary stored under name, created (with its entry) when there is none; an
    // invalid one when that fails.
    DxfDictionary child(const QString &name);

    // False when the dictionary is missing or the document refuses the edit; removing an
    // entry the dictionary does not have succeeds.
    bool addEntry(const QString &name, quint64 handle);
    bool removeEntry(quint64 handle);
    // A name not used in this dictionary: base itself, else base followed by a number.
    QString uniqueName(const QString &base) const;

private:
    int record() const;
    // The tag before which a new entry goes.
    int entriesEndTag(int record) const;

    DxfDocument &m_doc;
    quint64 m_handle;
};
