#pragma once

#include "connector/recordlist.h"
#include "connector/titleblockmapping.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

class FileDatabase;
class FzFileInfo;
class SaveTreeItem;

// The record tree of one check-in, built from the save dialog's rows: the drawing on top with
// its preview, every reference, image and PDF below the drawing that references it (rows that
// are not saved are left out with everything below them). Records are linked by their parent
// only. Names come from the autoname list for new files, from the file database for changed
// ones and from the duplicate check for overwritten ones. Owns the records. Built by the
// check-in job's work on its thread, from that work's own copy of the rows.
class CheckInRecords
{
public:
    // autonames: fresh platform names, one per file to save, in row order; previewFolder:
    // where the drawings' previews are written.
    CheckInRecords(const FileDatabase &database, const QStringList &autonames,
                   const QString &previewFolder);

    // Which title-block attributes each drawing sent carries to the platform as its
    // properties; before buildCheckInRecord (none without it).
    void setTitleBlockMapping(const TitleBlockMapping &mapping) { m_mapping = mapping; }

    // Builds the tree from the top row; returns its top record, or null when a file to save is
    // missing or a drawing's preview cannot be made (errorString() says which).
    FzFileInfo *buildCheckInRecord(SaveTreeItem *top);
    QString errorString() const { return m_error; }

    // The platform name of every file saved, in the order the records were built.
    QStringList names() const { return m_names; }
    // Whether the row's file goes to the platform: a row to save, unless it is to "Save
    // changes" and the file holds none.
    static bool isSent(const SaveTreeItem *row);
    // The local path of every name (the later one when two rows share a name).
    QMap<QString, QString> nameToPath() const { return m_nameToPath; }
    // One details request per name sent, typed by the suffix of its path (asked after the
    // check-in).
    RecordList buildNameLookupRecords() const;
    // Writes the previews drawn for the check-in where the lists look for them. Apart from the
    // build, as the check-in does not wait for them: they are written while it is sent.
    void writeListedPreviews() const;

private:
    FzFileInfo *newRecord(SaveTreeItem *row, FzFileInfo *parent);
    void buildChildRecords(FzFileInfo *parent, SaveTreeItem *row);
    // A row left out that still carries its references: not written, named as the platform
    // knows it so that they stay related to it.
    void passThrough(FzFileInfo *record, const SaveTreeItem *row) const;
    // Adds the record of the drawing's preview; the preview is written by writePreviews.
    void buildPreviewRecord(FzFileInfo *drawing, const QString &drawingPath);
    // Writes the previews of the drawings buildPreviewRecord met, several at a time, and gives
    // their records what their title blocks say; fails when a preview cannot be made.
    void writePreviews();
    void applyNameRule(FzFileInfo *record, SaveTreeItem *row);
    void fail(const QString &message);

    const FileDatabase &m_database;
    QStringList m_names;
    int m_cursor = 0;
    QString m_previewFolder;
    QMap<QString, QString> m_nameToPath;
    QMap<QString, QString> m_pathToName; // a file that stands twice is named once
    QSet<QString> m_unsent;              // names of files named but not sent
    RecordList m_records;
    QStringList m_previewsToWrite; // drawing paths
    // The records sending each drawing, whose title blocks writePreviews reads.
    QMap<QString, QList<FzFileInfo *>> m_drawingRecords;
    TitleBlockMapping m_mapping;
    QVector<QPair<QString, QByteArray>> m_listedPreviews; // drawing path, JPEG
    QString m_error;
};
