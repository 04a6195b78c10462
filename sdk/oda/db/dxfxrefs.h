#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

#include <QPointF>
#include <QString>
#include <QVector>

// The external references of one drawing: blocks flagged as external references with the path
// they store, their block records and the INSERTs that place them. Attaching writes the block
// record, the BLOCK with the reference flag and path, its ENDBLK and an INSERT in model space;
// detaching removes all of them. Works on a document it does not own.
class TD_DB_EXPORT DxfXrefs
{
public:
    struct Xref
    {
        QString name;
        QString path;               // as stored in the drawing
        quint64 blockRecord = 0;    // the BLOCK_RECORD entry (0 before release 2000)
        quint64 block = 0;          // the BLOCK record
        bool overlay = false;
        int insertCount = 0;
    };

    explicit DxfXrefs(DxfDocument &doc);

    QVector<Xref> list() const;
    // The reference named name (compared without regard to case); false when there is none.
    bool find(const QString &name, Xref *xref) const;

    // Adds a reference to the file at path (stored as given) under name, placed at insertion.
    bool attach(const QString &path, const QString &name, const QPointF &insertion,
                QString *errorMessage);
    bool detach(const QString &name, QString *errorMessage);
    bool setPath(const QString &name, const QString &path);
    // Renames the block, its record and every INSERT of it; false when newName is taken.
    bool rename(const QString &name, const QString &newName, QString *errorMessage);

    static bool isValidName(const QString &name);

private:
    QVector<int> insertsOf(const QString &name) const;

    DxfDocument &m_doc;
};
