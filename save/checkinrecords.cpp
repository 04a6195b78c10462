#include "checkinrecords.h"

#include "previewwriter.h"
#include "savelogging.h"
#include "savedialogtext.h"
#include "savetreeitem.h"
#include "titleblockfields.h"

#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopyconstants.h"

#include <fzfileinfo.h>

#include <QDir>
#include <QFileInfo>
#include <QRunnable>
#include <QThreadPool>
#include <QVector>

namespace {

const char *flag(bool value)
{
    return value ? kTrue : kFalse;
}

} // namespace

CheckInRecords::CheckInRecords(const FileDatabase &database, const QStringList &autonames,
                               const QString &previewFolder)
    : m_database(database), m_names(autonames), m_previewFolder(previewFolder)
{
}

void CheckInRecords::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}

FzFileInfo *CheckInRecords::newRecord(SaveTreeItem *row, FzFileInfo *parent)
{
    FzFileInfo *record = m_records.add(std::make_unique<FzFileInfo>());
    if (parent)
        record->SetParent(parent);
    const QFileInfo file(row->path);
    record->SetPath(row->path.toStdString());
    record->SetDirname(file.absolutePath().toStdString());
    // The display name is the title on the platform (the add-text row may have changed it).
    record->SetTitle(row->displayName.toStdString());
    record->SetProperty(kKeyMaintainLock, flag(row->maintainLock));
    if (row->action != SaveAction::DoNotSave && !file.isFile())
        fail(SaveDialogText::tr("%1 no longer exists.").arg(QDir::toNativeSeparators(row->path)));
    return record;
}

FzFileInfo *CheckInRecords::buildCheckInRecord(SaveTreeItem *top)
{
    Q_ASSERT(top);
    if (!top)
        return nullptr;
    FzFileInfo *record = newRecord(top, nullptr);
    record->SetProperty(kKeyOwnsChildren, kTrue);
    record->SetProperty(kKeyFormat, kFormatDwg);
    applyNameRule(record, top);
    setRecordProperty(*record, kKeyCollabSpace, top->collabSpace);
    // A drawing that is not saved still carries its references to the platform, and when the
    // platform has it, its name keeps them related to it.
    if (top->action == SaveAction::DoNotSave) {
        passThrough(record, top);
    } else if (isSent(top)) {
        record->SetProperty(kKeySelected, kTrue);
        buildPreviewRecord(record, top->path);
        m_drawingRecords[top->path].append(record);
    } else {
        record->SetProperty(kKeySelected, kFalse);
    }
    buildChildRecords(record, top);
    writePreviews();
    return m_error.isEmpty() ? record : nullptr;
}

void CheckInRecords::passThrough(FzFileInfo *record, const SaveTreeItem *row) const
{
    record->SetProperty(kKeySelected, kFalse);
    record->SetName(
        m_database.entryAttribute(FileDatabase::keyForPath(row->path), QLatin1String(kAttrName))
            .toStdString());
}

void CheckInRecords::buildChildRecords(FzFileInfo *parent, SaveTreeItem *row)
{
    for (const auto &child : row->children()) {
        SaveTreeItem *childRow = child.get();
        // A reference left out takes its references along, unless it was left out by itself:
        // unchanged here, and a colleague's lock or the user's role keeps it as it is.
        if (childRow->action == SaveAction::DoNotSave && !childRow->leftOutByItself)
            continue;
        FzFileInfo *record = newRecord(childRow, parent);
        setRecordProperty(*record, kKeyCollabSpace, childRow->collabSpace);
        applyNameRule(record, childRow);
        const char *format = saveFormatForPath(childRow->path);
        record->SetProperty(kKeyFormat, format);
        record->SetProperty(kKeyRelationToParent, kRelationSubcomponent);
        if (qstrcmp(format, kFormatPdf) == 0)
            record->SetProperty(kKeyType, kTypePdf);
        const bool sent = isSent(childRow);
        if (sent && qstrcmp(format, kFormatDwg) == 0)
            buildPreviewRecord(record, childRow->path);
        if (sent && isDrawingPath(childRow->path))
            m_drawingRecords[childRow->path].append(record);
        if (childRow->action == SaveAction::DoNotSave)
            passThrough(record, childRow);
        else
            record->SetProperty(kKeySelected, sent ? kTrue : kFalse);
        record->SetProperty(kKeyOwnsChildren, flag(childRow->childCount() > 0));
        if (childRow->childCount() > 0)
            buildChildRecords(record, childRow);
    }
}

void CheckInRecords::writePreviews()
{
    // Each drawing is read and drawn on a core of its own: a set of a hundred drawings would
    // otherwise wait for them one after the other.
    // Title blocks are read the same way, DXF references (which get no preview) among them.
    QVector<QByteArray> written(m_previewsToWrite.size());
    const QStringList drawings = m_drawingRecords.keys();
    QVector<TitleBlockFields::Fields> fields(drawings.size());
    QThreadPool pool;
    for (int i = 0; i < m_previewsToWrite.size(); ++i) {
        pool.start(QRunnable::create([this, &written, i] {
            written[i] = writePreview(m_previewsToWrite.at(i), m_previewFolder);
        }));
    }
    for (int i = 0; i < drawings.size(); ++i) {
        pool.start(QRunnable::create([this, &drawings, &fields, i] {
            fields[i] = TitleBlockFields::ofDrawing(drawings.at(i), m_mapping);
        }));
    }
    pool.waitForDone();
    for (int i = 0; i < drawings.size(); ++i) {
        for (FzFileInfo *record : m_drawingRecords.value(drawings.at(i))) {
            for (const auto &field : qAsConst(fields.at(i)))
                setRecordProperty(*record, field.first, field.second);
        }
    }
    for (int i = 0; i < m_previewsToWrite.size(); ++i) {
        if (written.at(i).isEmpty()) {
            fail(SaveDialogText::tr("The preview of %1 cannot be made.")
                     .arg(QDir::toNativeSeparators(m_previewsToWrite.at(i))));
        } else {
            m_listedPreviews.append({m_previewsToWrite.at(i), written.at(i)});
        }
    }
    m_previewsToWrite.clear();
    m_drawingRecords.clear();
}

void CheckInRecords::writeListedPreviews() const
{
    for (const auto &preview : m_listedPreviews) {
        if (!writeListedPreview(preview.first, preview.second))
            qCDebug(lcSave) << "the preview of" << preview.first << "is not shown in the lists";
    }
}

void CheckInRecords::buildPreviewRecord(FzFileInfo *drawing, const QString &drawingPath)
{
    // The picture itself is drawn with the others once the tree stands (writePreviews).
    if (!m_previewsToWrite.contains(drawingPath))
        m_previewsToWrite.append(drawingPath);
    FzFileInfo *preview = m_records.add(std::make_unique<FzFileInfo>());
    preview->SetParent(drawing);
    preview->SetProperty(kKeyRelationToParent, kRelationDerivedOutput);
    preview->SetProperty(kKeyFormat, kFormatImage);
    preview->SetProperty(kKeyCollabSpace, drawing->GetProperty(kKeyCollabSpace));
    const QString path = previewPath(drawingPath, m_previewFolder);
    preview->SetPath(path.toStdString());
    preview->SetTitle(previewTitle(drawingPath).toStdString());
    preview->SetDirname(QFileInfo(path).absolutePath().toStdString());
    preview->SetProperty(kKeySelected, kTrue);
    preview->SetName(drawing->GetName() + ".jpg");
}

void CheckInRecords::applyNameRule(FzFileInfo *record, SaveTreeItem *row)
{
    QString name = m_pathToName.value(row->path);
    // The second occurrence of a file takes the name its first one got, so the file is sent
    // as one platform object and no name is used up for it.
    const bool repeated = !name.isEmpty();
    if (!repeated) {
        switch (row->action) {
        case SaveAction::SaveAsNew:
            // A name given before (to a save that waits in the outbox) stays: sent again, the
            // file lands on the same object rather than on a second one.
            if (!row->reservedName.isEmpty())
                name = row->reservedName;
            else
                name = m_cursor < m_names.size() ? m_names.at(m_cursor) : QString();
            row->name = name;
            break;
        case SaveAction::SaveChanges:
            name = m_database.entryAttribute(FileDatabase::keyForPath(row->path),
                                         QLatin1String(kAttrName));
            break;
        case SaveAction::Overwrite:
            name = row->name;
            break;
        case SaveAction::DoNotSave:
            return;
        }
    }
    // Local changes carry the version they are based on, so that the platform refuses them
    // over a newer version that someone else saved. Only once: by the file's second place in
    // the tree, its first has made a newer version in this very check-in.
    if (!repeated && row->action == SaveAction::SaveChanges && !row->baseStamp.isEmpty())
        setRecordProperty(*record, kKeyBaseModified, row->baseStamp);
    record->SetName(name.toStdString());
    if (repeated || name.isEmpty())
        return;
    if (m_cursor < m_names.size())
        m_names[m_cursor] = name;
    else
        m_names.append(name);
    ++m_cursor;
    m_nameToPath.insert(name, row->path);
    m_pathToName.insert(row->path, name);
    if (!isSent(row))
        m_unsent.insert(name);
}

bool CheckInRecords::isSent(const SaveTreeItem *row)
{
    // Changes to save need changes: a file as the last exchange left it keeps the platform's
    // version (and revision) as it is.
    return row->action != SaveAction::DoNotSave
        && (row->action != SaveAction::SaveChanges || row->hasLocalChanges);
}

RecordList CheckInRecords::buildNameLookupRecords() const
{
    RecordList records;
    for (int i = 0; i < m_cursor && i < m_names.size(); ++i) {
        const QString &name = m_names.at(i);
        if (m_unsent.contains(name))
            continue;
        records.add(makeNameRequest(name, fileTypeForPath(m_nameToPath.value(name))));
    }
    return records;
}
