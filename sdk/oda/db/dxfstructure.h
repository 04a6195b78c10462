#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

// Finds and extends the standing parts of a drawing: sections, symbol tables and their entries,
// block definitions, the model space, object classes and the named-objects dictionary. Names
// compare without regard to case, as CAD programs treat them. Works on a document it does not
// own, for one edit or query; record numbers it returns are stale after any edit.
class TD_DB_EXPORT DxfStructure
{
public:
    struct ObjectClass
    {
        const char *dxfName;
        const char *className;
        const char *application;
        int proxyFlags;
        bool isEntity;
    };

    explicit DxfStructure(DxfDocument &doc);

    // The TABLE record of a symbol table ("BLOCK_RECORD", "LAYER"), or -1.
    int table(const char *name) const;
    // The entry of that table whose name (code 2) is name, or -1.
    int tableEntry(const char *tableName, const QString &name) const;
    // Appends an entry at the table's end and counts it in the table's header. Edits return
    // false, changing nothing, when the document refuses them.
    bool appendTableEntry(const char *tableName, const DxfDocument::TagList &tags);

    // The BLOCK record that starts the definition of the block named name, or -1.
    int blockBegin(const QString &name) const;
    // The ENDBLK record that ends the definition starting at blockBeginRecord, or -1.
    int blockEnd(int blockBeginRecord) const;
    // The owner of model-space entities (its block record); 0 in drawings before release 2000.
    quint64 modelSpace() const;
    // The named-objects dictionary: the first object of the OBJECTS section, or -1.
    int namedObjectsDictionary() const;

    // Appends tags at the end of a section, creating the section in its usual place first.
    bool appendToSection(const char *section, const DxfDocument::TagList &tags);
    // Declares an object class in the CLASSES section unless it is declared already.
    bool ensureClass(const ObjectClass &objectClass);

private:
    // The tag before which the section's content ends, creating the section; -1 on failure.
    int sectionEndTag(const char *section);

    DxfDocument &m_doc;
};
