#include "platformdouble.h"

#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/jobcontrol.h"

#include <fzfileinfo.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>

#include <functional>

const char PlatformDouble::kUser[] = "alice";

QString PlatformDouble::addObject(const QString &title, const QByteArray &content,
                                  const QString &space)
{
    QMutexLocker locker(&m_mutex);
    Object object;
    object.name = QStringLiteral("AX%1").arg(m_nextName++, 6, 10, QLatin1Char('0'));
    object.title = title;
    object.space = space;
    object.content = content;
    object.stamp = nextStamp();
    addVersion(&object, QLatin1String(kUser), QString());
    m_objects.insert(object.name, object);
    return object.name;
}

QString PlatformDouble::nextStamp()
{
    // A minute apart: every version has a time of its own.
    const QDateTime first(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC);
    return formatPlatformStamp(first.addSecs(60 * m_stampCount++));
}

void PlatformDouble::addVersion(Object *object, const QString &user, const QString &comment)
{
    Version version;
    version.revision = ++object->revision;
    version.title = object->title;
    version.stamp = object->stamp;
    version.user = user;
    version.comment = comment;
    version.content = object->content;
    version.sequence = m_sequence;
    object->versions.append(version);
}

const PlatformDouble::Version *PlatformDouble::versionOf(const Object &object, int revision)
{
    for (const Version &version : object.versions) {
        if (version.revision == revision)
            return version.pruned ? nullptr : &version;
    }
    return nullptr;
}

PlatformDouble::Object *PlatformDouble::findToChange(const QString &title)
{
    return const_cast<Object *>(find(title));
}

void PlatformDouble::saveNewVersion(const QString &title, const QByteArray &content,
                                    const QString &by, const QString &comment)
{
    QMutexLocker locker(&m_mutex);
    if (Object *object = findToChange(title)) {
        object->content = content;
        object->stamp = nextStamp();
        ++m_sequence;
        addVersion(object, by, comment);
        publish(PlatformEvent::CheckIn, *object, by, comment);
    }
}

void PlatformDouble::pruneVersion(const QString &title, int revision)
{
    QMutexLocker locker(&m_mutex);
    if (Object *object = findToChange(title)) {
        for (Version &version : object->versions) {
            if (version.revision == revision && revision != object->revision)
                version.pruned = true;
        }
    }
}

void PlatformDouble::moveToTrash(const QString &title, const QString &user)
{
    QMutexLocker locker(&m_mutex);
    if (const Object *object = find(title)) {
        publish(PlatformEvent::Delete, *object, user);
        const QString name = object->name;
        m_trash.insert(name, m_objects.take(name));
    }
}

void PlatformDouble::restoreFromTrash(const QString &title, const QString &user)
{
    QMutexLocker locker(&m_mutex);
    for (auto it = m_trash.begin(); it != m_trash.end(); ++it) {
        if (it->title == title) {
            const Object object = m_trash.take(it.key());
            m_objects.insert(object.name, object);
            publish(PlatformEvent::Undelete, object, user);
            return;
        }
    }
}

void PlatformDouble::setLockedBy(const QString &title, const QString &user)
{
    QMutexLocker locker(&m_mutex);
    if (Object *object = findToChange(title)) {
        const QString before = object->lockedBy;
        object->lockedBy = user;
        publish(user.isEmpty() ? PlatformEvent::Unlock : PlatformEvent::Lock, *object,
                user.isEmpty() ? before : user);
    }
}

void PlatformDouble::publish(PlatformEvent::Kind kind, const Object &object, const QString &user,
                             const QString &comment)
{
    PlatformEvent event;
    event.id = QString::number(m_events.size() + 1);
    event.kind = kind;
    event.name = object.name;
    event.title = object.title;
    event.space = object.space;
    event.user = user;
    event.revision = object.revision;
    event.fileModified = object.stamp;
    event.lockedBy = object.lockedBy;
    event.comment = comment;
    m_events.append(event);
    m_eventArrived.wakeAll();
}

int PlatformDouble::readEvents(const QString &lastEventId,
                               const std::function<void(const PlatformEvent &)> &event,
                               const std::function<bool()> &wanted)
{
    QMutexLocker locker(&m_mutex);
    ++m_streamRequests;
    // A platform that does not answer has no stream either; one that stops answering drops it.
    if (m_behaviour != Answer)
        return 0;
    ++m_streams;
    int next = lastEventId.isEmpty() ? m_events.size() : lastEventId.toInt();
    while (wanted() && m_behaviour == Answer && !m_closing) {
        while (next < m_events.size()) {
            const PlatformEvent given = m_events.at(next++);
            locker.unlock();
            event(given);
            locker.relock();
        }
        m_eventArrived.wait(&m_mutex, 20);
    }
    --m_streams;
    m_eventArrived.wakeAll();
    // The stream was open: it ended, whatever the platform does next.
    return 200;
}

PlatformDouble::~PlatformDouble()
{
    QMutexLocker locker(&m_mutex);
    m_closing = true;
    // A call still hanging (its job given up by the user) ends before the double goes: it
    // would wake on a mutex no longer there.
    m_isReleased = true;
    while (m_hanging)
        m_released.wait(&m_mutex, 10);
    m_eventArrived.wakeAll();
    while (m_streams > 0)
        m_eventArrived.wait(&m_mutex);
}

int PlatformDouble::streamRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_streamRequests;
}

int PlatformDouble::streamCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_streams;
}

QByteArray PlatformDouble::content(const QString &title) const
{
    QMutexLocker locker(&m_mutex);
    const Object *object = find(title);
    return object ? object->content : QByteArray();
}

int PlatformDouble::checkInCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_checkIns;
}

int PlatformDouble::detailsCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_detailsCalls;
}

int PlatformDouble::lockCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_lockCalls;
}

qint64 PlatformDouble::bytesSent() const
{
    QMutexLocker locker(&m_mutex);
    return m_bytesSent;
}

void PlatformDouble::setBehaviour(Behaviour behaviour)
{
    QMutexLocker locker(&m_mutex);
    m_behaviour = behaviour;
    m_isReleased = false;
}

void PlatformDouble::failAtByte(qint64 byte)
{
    QMutexLocker locker(&m_mutex);
    m_failAtByte = byte;
}

void PlatformDouble::hangAtByte(qint64 byte)
{
    QMutexLocker locker(&m_mutex);
    m_hangAtByte = byte;
    m_isReleased = false;
}

bool PlatformDouble::isHanging() const
{
    QMutexLocker locker(&m_mutex);
    return m_hanging;
}

void PlatformDouble::hang(QMutexLocker &locker, JobControl *control)
{
    Q_UNUSED(locker)
    m_hanging = true;
    while (!m_isReleased && !(control && control->isCancelled()))
        m_released.wait(&m_mutex, 10);
    m_hanging = false;
}

void PlatformDouble::setChunkDelayMs(int msecs)
{
    QMutexLocker locker(&m_mutex);
    m_chunkDelayMs = msecs;
}

void PlatformDouble::setCheckInAnswered(bool answered)
{
    QMutexLocker locker(&m_mutex);
    m_checkInAnswered = answered;
}

void PlatformDouble::release()
{
    QMutexLocker locker(&m_mutex);
    m_isReleased = true;
    m_released.wakeAll();
}

const PlatformDouble::Object *PlatformDouble::find(const QString &nameOrTitle) const
{
    const auto byName = m_objects.constFind(nameOrTitle);
    if (byName != m_objects.constEnd())
        return &byName.value();
    for (const Object &object : m_objects) {
        if (object.title == nameOrTitle)
            return &object;
    }
    return nullptr;
}

void PlatformDouble::fillRecord(FzFileInfo *record, const Object &object) const
{
    setRecordProperty(*record, kKeyName, object.name);
    setRecordProperty(*record, kKeyPhid, object.name);
    setRecordProperty(*record, kKeyTitle, object.title);
    setRecordProperty(*record, kKeyType, QLatin1String(fileTypeForPath(object.title).type));
    setRecordProperty(*record, kKeySpace, object.space);
    setRecordProperty(*record, kKeyFileModified, object.stamp);
    setRecordProperty(*record, kKeyLockedBy, object.lockedBy);
    setRecordProperty(*record, kKeySize, QString::number(object.content.size()));
    setRecordProperty(*record, kKeySha256,
                      QCryptographicHash::hash(object.content, QCryptographicHash::Sha256)
                          .toHex());
    setRecordProperty(*record, kKeyRevision, QString::number(object.revision));
    for (auto it = object.titleBlock.begin(); it != object.titleBlock.end(); ++it)
        setRecordProperty(*record, it.key().toLatin1().constData(), it.value());
    if (!object.versions.isEmpty()) {
        setRecordProperty(*record, kKeyModifiedBy, object.versions.constLast().user);
        setRecordProperty(*record, kKeyComment, object.versions.constLast().comment);
    }
}

void PlatformDouble::fillVersionRecord(FzFileInfo *record, const Object &object,
                                       const Version &version) const
{
    Object then = object;
    then.title = version.title;
    then.stamp = version.stamp;
    then.content = version.content;
    then.revision = version.revision;
    then.versions = {version};
    fillRecord(record, then);
}

std::unique_ptr<FzFileInfo> PlatformDouble::recordOf(const QString &title) const
{
    QMutexLocker locker(&m_mutex);
    const Object *object = find(title);
    if (!object)
        return nullptr;
    auto record = std::make_unique<FzFileInfo>();
    fillRecord(record.get(), *object);
    return record;
}

bool PlatformDouble::admit(JobControl *control)
{
    QMutexLocker locker(&m_mutex);
    if (m_behaviour == Refuse)
        return false;
    if (m_behaviour == Answer)
        return true;
    // A hanging platform: nothing comes until the test releases it or the job gives up.
    hang(locker, control);
    return false;
}

bool PlatformDouble::sendChunk(qint64 bytes, qint64 *sent, JobControl *control)
{
    int delay = 0;
    {
        QMutexLocker locker(&m_mutex);
        delay = m_chunkDelayMs;
        if (m_failAtByte >= 0 && *sent + bytes > m_failAtByte)
            return false;
        if (m_hangAtByte >= 0 && *sent + bytes > m_hangAtByte) {
            hang(locker, control);
            if (!m_isReleased)
                return false;
        }
    }
    if (delay > 0)
        QThread::msleep(static_cast<unsigned long>(delay));
    *sent += bytes;
    {
        QMutexLocker locker(&m_mutex);
        m_bytesSent += bytes;
    }
    if (control)
        control->addProcessed(0, bytes);
    return !(control && control->isCancelled());
}

bool PlatformDouble::signInWithPassword(const QString &, const QString &, const QString &,
                                        const QString &)
{
    return admit(nullptr);
}

bool PlatformDouble::signInWithCookie(const QString &, const QString &, const QString &,
                                      const QString &)
{
    return admit(nullptr);
}

QStringList PlatformDouble::spaces()
{
    if (!admit(nullptr))
        return {};
    return {QStringLiteral("Engineering")};
}

bool PlatformDouble::userInfo(QString *firstName, QString *lastName, QString *email,
                              QString *userId)
{
    if (!admit(nullptr))
        return false;
    *firstName = QStringLiteral("Alice");
    *lastName = QStringLiteral("Martin");
    *email = QStringLiteral("alice@example.org");
    *userId = QStringLiteral("alice");
    return true;
}

bool PlatformDouble::search(const FzFileInfo &query, RecordList *hits)
{
    hits->clear();
    if (!admit(nullptr))
        return false;
    const QString title = recordProperty(query, "_or_title_0");
    QMutexLocker locker(&m_mutex);
    for (const Object &object : m_objects) {
        if (title.isEmpty() || object.title.contains(title, Qt::CaseInsensitive))
            fillRecord(hits->add(std::make_unique<FzFileInfo>()), object);
    }
    return true;
}

bool PlatformDouble::downloadPreviews(const RecordList &, const QString &)
{
    return admit(nullptr);
}

bool PlatformDouble::details(const RecordList &requests)
{
    {
        QMutexLocker locker(&m_mutex);
        ++m_detailsCalls;
    }
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    bool all = true;
    for (FzFileInfo *request : requests) {
        const Object *object = find(recordProperty(*request, kKeyName));
        if (object)
            fillRecord(request, *object);
        all = all && object;
    }
    return all;
}

bool PlatformDouble::structure(const FzFileInfo &root, RecordList *records)
{
    records->clear();
    if (!admit(nullptr))
        return false;
    // Every object: the root first, the others as what it references.
    QMutexLocker locker(&m_mutex);
    const Object *top = find(recordProperty(root, kKeyName));
    if (!top)
        return false;
    fillRecord(records->add(std::make_unique<FzFileInfo>()), *top);
    for (const Object &object : m_objects) {
        if (object.name != top->name)
            fillRecord(records->add(std::make_unique<FzFileInfo>()), object);
    }
    return true;
}

QStringList PlatformDouble::download(const RecordList &records, JobControl *control)
{
    QStringList failures;
    if (!admit(control)) {
        for (const FzFileInfo *record : records)
            failures.append(recordTitle(*record) + QStringLiteral(": refused"));
        return failures;
    }
    qint64 sent = 0;
    bool stopped = false;
    for (FzFileInfo *record : records) {
        Object object;
        {
            QMutexLocker locker(&m_mutex);
            const Object *found = find(recordProperty(*record, kKeyName));
            if (found)
                object = *found;
        }
        if (stopped || object.name.isEmpty()) {
            failures.append(recordTitle(*record) + QStringLiteral(": not transferred"));
            continue;
        }
        // Written straight under its name, chunk by chunk: a stopped transfer leaves a part.
        QFile file(QDir(recordProperty(*record, kKeyLocalDownloadFolder)).filePath(object.title));
        if (!file.open(QIODevice::WriteOnly)) {
            failures.append(object.title + QStringLiteral(": cannot be written"));
            stopped = true;
            continue;
        }
        if (control)
            control->setCurrentName(object.title);
        for (qint64 at = 0; at < object.content.size() && !stopped; at += kChunk) {
            const QByteArray chunk = object.content.mid(int(at), int(kChunk));
            if (!sendChunk(chunk.size(), &sent, control)) {
                stopped = true;
                break;
            }
            file.write(chunk);
        }
        file.close();
        if (stopped) {
            failures.append(object.title + QStringLiteral(": the connection dropped"));
            continue;
        }
        fillRecord(record, object);
        setRecordProperty(*record, kKeyFileName, object.title);
        if (control)
            control->addProcessed(1, 0);
    }
    return failures;
}

QString PlatformDouble::downloadObject(const QString &objectId, const QString &folder)
{
    if (!admit(nullptr))
        return QString();
    QMutexLocker locker(&m_mutex);
    const Object *object = find(objectId);
    if (!object)
        return QString();
    QFile file(QDir(folder).filePath(object->title));
    if (!file.open(QIODevice::WriteOnly) || file.write(object->content) != object->content.size())
        return QString();
    return file.fileName();
}

QStringList PlatformDouble::checkInKeys() const
{
    QMutexLocker locker(&m_mutex);
    return m_checkInKeys;
}

QStringList PlatformDouble::checkInComments() const
{
    QMutexLocker locker(&m_mutex);
    return m_checkInComments;
}

bool PlatformDouble::checkIn(FzFileInfo *root, const QString &comment, JobControl *control,
                             RecordList *stored)
{
    stored->clear();
    if (!root || !admit(control))
        return false;
    // Everything is read and sent before anything is stored: all or nothing.
    QList<Object> arriving;
    QList<std::pair<QString, QString>> bases; // name, the version the change is based on
    std::function<void(FzFileInfo *)> collect = [&](FzFileInfo *record) {
        if (record->HasProperty(kKeyBaseModified))
            bases.append({QString::fromStdString(record->GetName()),
                          recordProperty(*record, kKeyBaseModified)});
        if (record->GetProperty("selected") != "false") {
            QFile file(QString::fromStdString(record->GetPath()));
            Object object;
            object.name = QString::fromStdString(record->GetName());
            object.title = QString::fromStdString(record->GetTitle());
            object.space = recordProperty(*record, kKeyCollabSpace);
            for (const char *key : {kKeyDrawingNumber, kKeyDrawingTitle, kKeyDrawingRevision,
                                    kKeyDrawingSheet}) {
                if (record->HasProperty(key))
                    object.titleBlock.insert(QLatin1String(key), recordProperty(*record, key));
            }
            if (file.open(QIODevice::ReadOnly))
                object.content = file.readAll();
            arriving.append(object);
        }
        for (FzFileInfo *child : record->GetChildren())
            collect(child);
    };
    collect(root);
    qint64 sent = 0;
    for (const Object &object : qAsConst(arriving)) {
        for (qint64 at = 0; at < object.content.size(); at += kChunk) {
            if (!sendChunk(qMin(kChunk, object.content.size() - at), &sent, control))
                return false;
        }
    }
    QMutexLocker locker(&m_mutex);
    ++m_sequence;
    // Changes based on another version than the current one are refused, all of them.
    for (const auto &[name, base] : qAsConst(bases)) {
        const Object *current = find(name);
        if (current && current->stamp != base)
            return false;
    }
    for (Object object : qAsConst(arriving)) {
        if (object.name.isEmpty())
            object.name = QStringLiteral("AX%1").arg(m_nextName++, 6, 10, QLatin1Char('0'));
        if (const Object *earlier = find(object.name)) {
            object.revision = earlier->revision;
            object.versions = earlier->versions;
        }
        object.stamp = nextStamp();
        addVersion(&object, QLatin1String(kUser), comment);
        m_objects.insert(object.name, object);
        if (m_checkInAnswered)
            fillRecord(stored->add(std::make_unique<FzFileInfo>()), object);
    }
    ++m_checkIns;
    m_checkInComments.append(comment);
    m_checkInKeys.append(recordProperty(*root, kKeyCheckInKey));
    return true;
}

bool PlatformDouble::lock(FzFileInfo *record, bool locked)
{
    {
        QMutexLocker locker(&m_mutex);
        ++m_lockCalls;
    }
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    auto found = m_objects.find(recordProperty(*record, kKeyName));
    if (found == m_objects.end())
        return false;
    found->lockedBy = locked ? QLatin1String(kUser) : QString();
    return true;
}

bool PlatformDouble::versions(const FzFileInfo &object, FileVersionList *versions)
{
    versions->clear();
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    const Object *found = find(recordProperty(object, kKeyName));
    if (!found)
        return false;
    for (auto version = found->versions.crbegin(); version != found->versions.crend(); ++version) {
        if (version->pruned)
            continue;
        FzFileInfo record;
        fillVersionRecord(&record, *found, *version);
        versions->append(FileVersion::fromRecord(record));
    }
    return true;
}

bool PlatformDouble::structureAsOf(const FzFileInfo &root, int revision, RecordList *records)
{
    records->clear();
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    const Object *top = find(recordProperty(root, kKeyName));
    const Version *asOf = top ? versionOf(*top, revision) : nullptr;
    if (!asOf)
        return false;
    fillVersionRecord(records->add(std::make_unique<FzFileInfo>()), *top, *asOf);
    // Every other object as what the drawing referenced, at the version it had then.
    for (const Object &object : m_objects) {
        const Version *then = nullptr;
        for (const Version &version : object.versions) {
            if (version.sequence <= asOf->sequence)
                then = &version;
        }
        if (object.name == top->name || !then)
            continue;
        FzFileInfo *record = records->add(std::make_unique<FzFileInfo>());
        fillVersionRecord(record, object, *then);
        if (then->pruned)
            setRecordProperty(*record, kKeyVersionPruned, QLatin1String(kTrue));
    }
    return true;
}

QString PlatformDouble::downloadVersion(const FzFileInfo &record, int revision,
                                        const QString &folder, const QString &fileName,
                                        JobControl *control)
{
    if (!admit(control))
        return QString();
    Version version;
    {
        QMutexLocker locker(&m_mutex);
        const Object *object = find(recordProperty(record, kKeyName));
        const Version *found = object ? versionOf(*object, revision) : nullptr;
        if (!found)
            return QString();
        version = *found;
    }
    QSaveFile file(QDir(folder).filePath(fileName.isEmpty() ? version.title : fileName));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    if (control)
        control->setCurrentName(version.title);
    qint64 sent = 0;
    for (qint64 at = 0; at < version.content.size(); at += kChunk) {
        const QByteArray chunk = version.content.mid(int(at), int(kChunk));
        if (!sendChunk(chunk.size(), &sent, control)) {
            file.cancelWriting();
            return QString();
        }
        file.write(chunk);
    }
    return file.commit() ? file.fileName() : QString();
}

bool PlatformDouble::restoreVersion(FzFileInfo *record, int revision, const QString &comment)
{
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    Object *object = findToChange(recordProperty(*record, kKeyName));
    if (!object || (!object->lockedBy.isEmpty() && object->lockedBy != QLatin1String(kUser)))
        return false;
    QString base = recordProperty(*record, kKeyBaseModified);
    if (base.isEmpty())
        base = recordProperty(*record, kKeyFileModified);
    const Version *old = versionOf(*object, revision);
    if ((!base.isEmpty() && base != object->stamp) || !old)
        return false;
    object->content = old->content;
    object->stamp = nextStamp();
    ++m_sequence;
    const QString said =
        comment.isEmpty() ? QStringLiteral("Restored version %1").arg(revision) : comment;
    addVersion(object, QLatin1String(kUser), said);
    publish(PlatformEvent::Restore, *object, QLatin1String(kUser), said);
    fillRecord(record, *object);
    return true;
}

bool PlatformDouble::remove(const RecordList &records)
{
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    for (const FzFileInfo *record : records)
        m_objects.remove(recordProperty(*record, kKeyName));
    return true;
}

QString PlatformDouble::unreachableReason()
{
    QMutexLocker locker(&m_mutex);
    return m_behaviour == Refuse ? QStringLiteral("Connection refused") : QString();
}

void PlatformDouble::setUsedBy(const QString &title, const QList<UsedBy> &drawings, int hidden)
{
    QMutexLocker locker(&m_mutex);
    m_usedBy.insert(title, {drawings, hidden});
}

void PlatformDouble::setTitleBlockMapping(const TitleBlockMapping &mapping)
{
    QMutexLocker locker(&m_mutex);
    m_mapping = mapping;
}

QMap<QString, QString> PlatformDouble::titleBlockOf(const QString &title) const
{
    QMutexLocker locker(&m_mutex);
    const Object *object = find(title);
    return object ? object->titleBlock : QMap<QString, QString>();
}

bool PlatformDouble::whereUsed(const FzFileInfo &object, RecordList *drawings, int *hidden)
{
    drawings->clear();
    *hidden = 0;
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    const Object *asked = find(recordProperty(object, kKeyName));
    if (!asked)
        return false;
    const auto used = m_usedBy.value(asked->title);
    for (const UsedBy &by : used.first) {
        const Object *drawing = find(by.title);
        if (!drawing)
            continue;
        FzFileInfo *record = drawings->add(std::make_unique<FzFileInfo>());
        fillRecord(record, *drawing);
        if (by.depth > 0) // 0: answered as a platform from before depths did
            setRecordProperty(*record, kKeyDepth, QString::number(by.depth));
        const Object *via = find(by.via.isEmpty() ? asked->title : by.via);
        setRecordProperty(*record, kKeyReferencedVia, via ? via->name : QString());
    }
    *hidden = used.second;
    return true;
}

bool PlatformDouble::titleBlockMapping(TitleBlockMapping *mapping)
{
    if (!admit(nullptr))
        return false;
    QMutexLocker locker(&m_mutex);
    *mapping = m_mapping;
    return true;
}

QStringList PlatformDouble::autonames(int count)
{
    if (!admit(nullptr))
        return {};
    QMutexLocker locker(&m_mutex);
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("AX%1").arg(m_nextName++, 6, 10, QLatin1Char('0')));
    return names;
}
