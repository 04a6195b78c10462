#include "outbox.h"

#include "checkinrecords.h"
#include "savedialogtext.h"
#include "savetreeitem.h"

#include "faults/faultpoint.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localfilestatus.h"
#include "workingcopy/processfilelock.h"
#include "workingcopy/workingcopyconstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

namespace {

const char kOutboxName[] = "outbox.json";
// How long a use waits for another one (this or another process) to let go of the file.
constexpr int kLockWaitMs = 5000;

// Stable names of the actions in the file: the enum's order is the code's business.
const char *const kActionNames[] = {"new", "changes", "skip", "overwrite"};

QString actionName(SaveAction action)
{
    return QLatin1String(kActionNames[int(action)]);
}

// False for an action this version does not know: such an outbox is not this version's to send.
bool actionFromName(const QString &name, SaveAction *action)
{
    for (int i = 0; i < 4; ++i) {
        if (name == QLatin1String(kActionNames[i])) {
            *action = SaveAction(i);
            return true;
        }
    }
    return false;
}

QJsonObject rowToJson(const SaveTreeItem &row)
{
    QJsonArray children;
    for (const auto &child : row.children())
        children.append(rowToJson(*child));
    return QJsonObject{
        {"path", row.path},
        {"name", row.name},
        {"reservedName", row.reservedName},
        {"title", row.displayName},
        {"kind", int(row.kind)},
        {"status", row.status},
        {"action", actionName(row.action)},
        {"space", row.collabSpace},
        {"keepLock", row.maintainLock},
        {"onPlatform", row.existsOnServer},
        {"baseStamp", row.baseStamp},
        {"localChanges", row.hasLocalChanges},
        {"children", children},
    };
}

bool rowFromJson(const QJsonObject &object, SaveTreeItem *row)
{
    row->name = object.value("name").toString();
    row->reservedName = object.value("reservedName").toString();
    row->kind = ReferenceNode::Kind(object.value("kind").toInt());
    row->status = object.value("status").toInt();
    if (!actionFromName(object.value("action").toString(), &row->action))
        return false;
    row->collabSpace = object.value("space").toString();
    row->maintainLock = object.value("keepLock").toBool();
    row->existsOnServer = object.value("onPlatform").toBool();
    row->baseStamp = object.value("baseStamp").toString();
    row->hasLocalChanges = object.value("localChanges").toBool(true);
    for (const QJsonValue child : object.value("children").toArray()) {
        const QJsonObject childObject = child.toObject();
        if (!rowFromJson(childObject, row->appendChild(childObject.value("path").toString(),
                                                       childObject.value("title").toString())))
            return false;
    }
    return true;
}

} // namespace

Outbox::Outbox(const QString &tenant)
{
    const QString database = FileDatabase::locationFor(tenant);
    if (!database.isEmpty())
        m_filePath = QFileInfo(database).absolutePath() + QLatin1Char('/') + kOutboxName;
}

bool Outbox::change(const std::function<bool(QList<Entry> &)> &edit)
{
    if (m_filePath.isEmpty()) {
        m_error = SaveDialogText::tr("The system names no configuration folder for the outbox.");
        return false;
    }
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        m_error = SaveDialogText::tr("The folder of %1 cannot be made.")
                      .arg(QDir::toNativeSeparators(m_filePath));
        return false;
    }
    // Given up by the system when its holder ends, however it ends.
    ProcessFileLock lock(m_filePath + QLatin1String(".lock"));
    m_busy = !lock.tryLock(QDeadlineTimer(kLockWaitMs));
    if (m_busy) {
        m_error = SaveDialogText::tr("Another program keeps %1 in use.")
                      .arg(QDir::toNativeSeparators(m_filePath));
        return false;
    }
    QList<Entry> entries;
    if (!readLocked(&entries))
        return false;
    if (!edit(entries))
        return true;
    return writeLocked(entries);
}

bool Outbox::read(QList<Entry> *entries)
{
    return change([entries](QList<Entry> &stored) {
        *entries = stored;
        return false;
    });
}

bool Outbox::readLocked(QList<Entry> *entries)
{
    entries->clear();
    QFile file(m_filePath);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = SaveDialogText::tr("%1 cannot be read: %2")
                      .arg(QDir::toNativeSeparators(m_filePath), file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        // Never written over: the saves it holds are the user's work.
        m_error = SaveDialogText::tr("%1 cannot be read: %2")
                      .arg(QDir::toNativeSeparators(m_filePath), parseError.errorString());
        return false;
    }
    for (const QJsonValue value : document.object().value("entries").toArray()) {
        const QJsonObject object = value.toObject();
        const QJsonObject top = object.value("rows").toObject();
        Entry entry;
        entry.id = qint64(object.value("id").toDouble());
        entry.queuedAt = QDateTime::fromString(object.value("queuedAt").toString(), Qt::ISODate);
        entry.rowsToSave = object.value("rowsToSave").toInt();
        entry.waitingReason = object.value("waiting").toString();
        entry.comment = object.value("comment").toString();
        entry.key = object.value("key").toString();
        entry.rows = std::make_shared<SaveTreeItem>(top.value("path").toString(),
                                                    top.value("title").toString(), nullptr);
        if (!rowFromJson(top, entry.rows.get())) {
            m_error = SaveDialogText::tr("%1 was written by a newer version of the module; its "
                                         "saves are left for that version to send.")
                          .arg(QDir::toNativeSeparators(m_filePath));
            return false;
        }
        entries->append(entry);
    }
    return true;
}

bool Outbox::writeLocked(const QList<Entry> &entries)
{
    QJsonArray array;
    for (const Entry &entry : entries) {
        array.append(QJsonObject{
            {"id", double(entry.id)},
            {"queuedAt", entry.queuedAt.toString(Qt::ISODate)},
            {"rowsToSave", entry.rowsToSave},
            {"waiting", entry.waitingReason},
            {"comment", entry.comment},
            {"key", entry.key},
            {"rows", rowToJson(*entry.rows)},
        });
    }
    QSaveFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly)
        && file.write(QJsonDocument(QJsonObject{{"entries", array}}).toJson()) >= 0
        && file.commit())
        return true;
    m_error = SaveDialogText::tr("%1 cannot be written: %2")
                  .arg(QDir::toNativeSeparators(m_filePath), file.errorString());
    return false;
}

bool Outbox::append(const SaveTreeItem &top, int rowsToSave, const QString &comment)
{
    const bool stored = change([&](QList<Entry> &entries) {
        Entry entry;
        entry.id = entries.isEmpty() ? 1 : entries.last().id + 1;
        entry.queuedAt = QDateTime::currentDateTimeUtc();
        entry.rowsToSave = rowsToSave;
        entry.comment = comment;
        entry.key = QUuid::createUuid().toString(QUuid::WithoutBraces);
        entry.rows = top.clone();
        entries.append(entry);
        return true;
    });
    if (stored && FaultPoint::fails("outbox.stored")) {
        m_error = FaultPoint::failureText("outbox.stored");
        return false;
    }
    return stored;
}

bool Outbox::remove(qint64 id)
{
    return change([id](QList<Entry> &entries) {
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).id == id) {
                entries.removeAt(i);
                return true;
            }
        }
        return false;
    });
}

bool Outbox::update(const Entry &changed)
{
    return change([&changed](QList<Entry> &entries) {
        for (Entry &entry : entries) {
            if (entry.id == changed.id) {
                entry = changed;
                return true;
            }
        }
        return false;
    });
}

void Outbox::refresh(Entry &entry, const FileDatabase &database)
{
    QSet<QString> paths;
    for (SaveTreeItem *row : entry.rows->subtree()) {
        if (row->action == SaveAction::DoNotSave)
            continue;
        paths.insert(row->path);
        const QString key = FileDatabase::keyForPath(row->path);
        const bool known = !database.entryAttribute(key, QLatin1String(kAttrName)).isEmpty();
        // Only a file new when saved: a known file the user chose to save anew (or to keep as
        // a copy) stays new.
        if (row->action == SaveAction::SaveAsNew && row->reservedName.isEmpty()
            && row->status == int(LocalFileStatus::New) && known) {
            row->action = SaveAction::SaveChanges;
            row->baseStamp = database.entryAttribute(key, QLatin1String(kAttrBaseStamp));
        }
        if (row->action != SaveAction::SaveChanges)
            continue;
        row->hasLocalChanges = database.hasLocalChanges(row->path);
        const QString base = database.entryAttribute(key, QLatin1String(kAttrBaseStamp));
        if (!row->baseStamp.isEmpty() && !base.isEmpty())
            row->baseStamp = base;
    }
    entry.rowsToSave = paths.size();
}

QSet<QString> Outbox::waitingKeys()
{
    QList<Entry> entries;
    QSet<QString> keys;
    read(&entries);
    for (const Entry &entry : qAsConst(entries)) {
        for (const SaveTreeItem *row : entry.rows->subtree()) {
            if (CheckInRecords::isSent(row))
                keys.insert(FileDatabase::keyForPath(row->path).toLower());
        }
    }
    return keys;
}
