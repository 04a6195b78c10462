#include "saveset.h"

#include "savelogging.h"
#include "savedialogtext.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/platformstamp.h"
#include "connector/recordfields.h"
#include "drawingset/referencenode.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localfilestatus.h"
#include "workingcopy/workingcopyconstants.h"

#include <fzfileinfo.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace {

const char kDefaultSpace[] = "Common Space";

} // namespace

SaveSet::SaveSet(const QString &currentUser)
    : m_currentUser(currentUser),
      m_root(std::make_unique<SaveTreeItem>(QString(), QStringLiteral("saveitemrootdata"), nullptr))
{
}

SaveSet::~SaveSet() = default;

SaveTreeItem *SaveSet::top() const
{
    return m_root->child(0);
}

QList<SaveTreeItem *> SaveSet::rows() const
{
    // Every row but the invisible root.
    return m_root->subtree().mid(1);
}

QString SaveSet::changedText(const QString &user, const QString &stamp)
{
    const QString when =
        QLocale().toString(parsePlatformStamp(stamp).toLocalTime(), QLocale::ShortFormat);
    return SaveDialogText::tr("%1 saved a newer version on the platform (%2). Choose Overwrite to "
                              "replace it with yours.")
        .arg(user, when);
}

QString SaveSet::lockText(const QString &user)
{
    return SaveDialogText::tr("File is locked by %1. Only %1 can upload modifications until the "
                              "file is unlocked.")
        .arg(user);
}

void SaveSet::build(const ReferenceNode &root, const MAPSTRCADOBJ &details,
                    const FileDatabase &database)
{
    Q_ASSERT(!top());
    SaveTreeItem *topRow = m_root->appendChild(root.path, pathFileName(root.path));
    buildRow(topRow, root, details, database);
    keepAsMade();
    recount();
}

void SaveSet::buildRow(SaveTreeItem *row, const ReferenceNode &node, const MAPSTRCADOBJ &details,
                       const FileDatabase &database)
{
    row->kind = node.kind;
    row->collabSpace = m_newFileSpace.isEmpty() ? QLatin1String(kDefaultSpace) : m_newFileSpace;
    const QString key = FileDatabase::keyForPath(row->path);
    const QString platformName = database.entryAttribute(key, QLatin1String(kAttrName));
    const FileEntry entry = platformName.isEmpty() ? FileEntry() : details.value(platformName);
    bool known = false;
    row->status = int(localFileStatus(database, row->path, entry.fileModified, &known));
    if (!entry.lockedBy.isEmpty() && entry.lockedBy != m_currentUser)
        row->lockedBy = entry.lockedBy;
    else if (!entry.lockedBy.isEmpty())
        row->maintainLock = true;
    if (known) {
        row->action = SaveAction::SaveChanges;
        row->name = platformName;
        row->baseStamp = database.entryValue(key, QLatin1String(kAttrBaseStamp));
        row->hasLocalChanges = database.hasLocalChanges(key);
        // The platform's current version came from here: the file is current, not changed.
        if (entry.storedFromHere) {
            row->status = int(LocalFileStatus::Current);
            row->baseStamp = entry.fileModified;
            row->hasLocalChanges = false;
        }
        if (!entry.collaborativeSpace.isEmpty())
            row->collabSpace = entry.collaborativeSpace;
        // Changes made here over a version that someone else has replaced since would undo
        // theirs: the row is red from the start, until the user overwrites or leaves it out.
        if (row->hasLocalChanges && !row->baseStamp.isEmpty() && !entry.fileModified.isEmpty()
            && entry.fileModified != row->baseStamp) {
            row->changedMessage = changedText(entry.modifiedBy, entry.fileModified);
            row->existsOnServer = true;
            row->hasError = true;
        }
    } else {
        row->action = SaveAction::SaveAsNew;
    }
    if (!row->lockedBy.isEmpty()) {
        // A colleague's lock stands in the way only of changes: a file unchanged here is left
        // as the platform has it, and the rest of the save goes on.
        if (row->isUnchanged()) {
            row->action = SaveAction::DoNotSave;
            row->leftOutByItself = true;
            row->lockMessage = SaveDialogText::tr("Locked by %1. You have not changed it here, "
                                                  "so the platform's version stays as it is.")
                                   .arg(row->lockedBy);
        } else {
            row->lockMessage = lockText(row->lockedBy);
            row->hasError = true;
        }
    }
    // Nobody who may only read the file's space saves it: unchanged here, it is passed over
    // like a colleague's locked file; changed, the row says why it cannot go.
    if (entry.role == QLatin1String("reader") && row->lockedBy.isEmpty()) {
        row->roleMessage =
            SaveDialogText::tr("You can read %1 but not save to it.").arg(row->collabSpace);
        if (row->isUnchanged()) {
            row->action = SaveAction::DoNotSave;
            row->leftOutByItself = true;
        } else {
            row->hasError = true;
        }
    }
    // A file that is not there cannot be sent (a PDF underlay is listed even when missing).
    if (!QFileInfo(row->path).isFile()) {
        row->action = SaveAction::DoNotSave;
        row->missingMessage = SaveDialogText::tr("%1 cannot be found on this computer.")
                                  .arg(QDir::toNativeSeparators(row->path));
    }
    for (const ReferenceNode *childNode : node.children) {
        // A reference the host could not find has no file to save; its nested references
        // could not be read either.
        if (childNode->path.isEmpty())
            continue;
        buildRow(row->appendChild(childNode->path, pathFileName(childNode->path)), *childNode,
                 details, database);
    }
}

void SaveSet::recount()
{
    QSet<QString> paths;
    m_hasError = false;
    for (const SaveTreeItem *row : rows()) {
        if (row->action == SaveAction::DoNotSave)
            continue;
        paths.insert(row->path);
        if (row->hasError)
            m_hasError = true;
    }
    m_rowsToSave = paths.size();
}

QString SaveSet::firstErrorReason() const
{
    for (const SaveTreeItem *row : rows()) {
        if (row->action == SaveAction::DoNotSave || !row->hasError)
            continue;
        for (const QString &reason : {row->lockMessage, row->roleMessage, row->changedMessage,
                                      row->duplicateMessage, row->missingMessage}) {
            if (!reason.isEmpty())
                return row->displayName + QStringLiteral(": ") + reason;
        }
    }
    return QString();
}

QMap<QString, QString> SaveSet::newFilePaths() const
{
    QMap<QString, QString> paths;
    for (const SaveTreeItem *row : rows()) {
        if (row->status == int(LocalFileStatus::New))
            paths.insert(row->displayName, row->path);
    }
    return paths;
}

QMap<QString, QStringList> SaveSet::titlesToCheck() const
{
    QMap<QString, QStringList> titles;
    for (const SaveTreeItem *row : rows()) {
        if (row->status == int(LocalFileStatus::New)
            && !titles.value(row->collabSpace).contains(row->displayName))
            titles[row->collabSpace].append(row->displayName);
    }
    return titles;
}

void SaveSet::evaluateDuplicates(const QList<Duplicate> &duplicates)
{
    const QList<SaveTreeItem *> all = rows();
    for (SaveTreeItem *row : all)
        row->existsOnServer = false;
    for (const Duplicate &duplicate : duplicates) {
        for (SaveTreeItem *row : all) {
            if (row->displayName != duplicate.title || row->status != int(LocalFileStatus::New))
                continue;
            row->name = duplicate.name;
            if (duplicate.storedFromHere) {
                row->action = SaveAction::SaveChanges;
                row->status = int(LocalFileStatus::Current);
                row->baseStamp = duplicate.stamp;
                row->hasLocalChanges = false;
                continue;
            }
            row->existsOnServer = true;
            if (row->action == SaveAction::DoNotSave) {
                row->duplicateMessage.clear();
                row->lockMessage.clear();
                continue;
            }
            if (row->action == SaveAction::Overwrite) {
                row->duplicateMessage.clear();
                row->hasError = !row->roleMessage.isEmpty();
            } else {
                row->duplicateMessage =
                    SaveDialogText::tr("File with the same name already exists in the selected "
                                       "target collaborative spaces. Rename the file or choose a "
                                       "different collaborative space. Or choose Overwrite and the "
                                       "local file will copy over the latest in the collaborative "
                                       "space.");
                row->hasError = true;
            }
            if (!duplicate.lockedBy.isEmpty() && duplicate.lockedBy != m_currentUser) {
                row->lockMessage = lockText(duplicate.lockedBy);
                row->hasError = true;
            }
        }
    }
    // A newer version saved by someone else stands in the way until the user overwrites it.
    for (SaveTreeItem *row : all) {
        if (!row->changedMessage.isEmpty() && row->action == SaveAction::Overwrite) {
            row->changedMessage.clear();
            row->hasError = !row->lockMessage.isEmpty() || !row->roleMessage.isEmpty();
        }
    }
    recount();
}

QList<SaveSet::Duplicate> SaveSet::searchDuplicates(AurexPlatform &platform,
                                                    const QMap<QString, QStringList> &titles)
{
    QList<Duplicate> found;
    for (auto it = titles.cbegin(); it != titles.cend(); ++it) {
        const std::unique_ptr<FzFileInfo> query = buildDuplicateSearchRecord(it.key(), it.value());
        // A failing search finds nothing; the check-in itself still refuses what it must.
        RecordList results;
        if (!platform.search(*query, &results)) {
            qCDebug(lcSave) << "duplicate search failed for a space";
            continue;
        }
        for (const FzFileInfo *result : results) {
            Duplicate duplicate;
            duplicate.title = recordTitle(*result);
            duplicate.name = recordProperty(*result, kKeyName);
            duplicate.lockedBy = recordProperty(*result, kKeyLockedBy).simplified();
            duplicate.modifiedBy = recordProperty(*result, kKeyModifiedBy);
            duplicate.stamp = recordProperty(*result, kKeyFileModified);
            duplicate.sha256 = recordProperty(*result, kKeySha256);
            duplicate.phid = recordProperty(*result, kKeyPhid);
            duplicate.type = recordProperty(*result, kKeyType);
            found.append(duplicate);
        }
    }
    return found;
}

void SaveSet::setWritableSpaces(const QStringList &spaces)
{
    m_newFileSpace = spaces.isEmpty() || spaces.contains(QLatin1String(kDefaultSpace))
        ? QString()
        : spaces.first();
}

void SaveSet::setSpace(const QString &space)
{
    m_root->collabSpace = space;
    for (SaveTreeItem *row : rows())
        row->collabSpace = space;
}

void SaveSet::keepAsMade()
{
    m_snapshot = m_root->clone();
}

void SaveSet::reset()
{
    if (m_snapshot)
        m_root->restoreFrom(*m_snapshot);
    recount();
}
