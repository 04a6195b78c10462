#include "filedatabase.h"

#include "contentfingerprint.h"
#include "filedatabasesession.h"
#include "workingcopyconstants.h"
#include "workingcopylogging.h"

#include "faults/faultpoint.h"

#include "connector/recordconstants.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {
// How long a use waits for another thread or program to finish with the file.
const int kLockWaitMs = 5000;

struct UserNotifier
{
    QMutex mutex; // guards notify
    std::function<void(const QString &)> notify;
};

UserNotifier &userNotifier()
{
    static UserNotifier instance;
    return instance;
}
} // namespace

FileDatabase::FileDatabase(const QString &tenant)
    : m_filePath(locationFor(tenant))
{
    if (!m_filePath.isEmpty()) {
        const QString folder = QFileInfo(m_filePath).path();
        if (!QDir().mkpath(folder))
            qCWarning(lcWorkingCopy) << "cannot create the folder" << folder;
    }
    bool joined = false;
    m_session = FileDatabaseSession::acquire(m_filePath, kLockWaitMs, &joined);
    if (!m_session) {
        // Another program (or a thread that waits for this one) keeps the file: this use works
        // on an empty database of its own that is never written, so nothing on disk is lost.
        m_available = false;
        m_errorString = QObject::tr("The file database %1 is in use by another program. "
                                    "Try again in a moment.")
                            .arg(QDir::toNativeSeparators(m_filePath));
        qCWarning(lcWorkingCopy).noquote() << m_errorString;
        m_session = FileDatabaseSession::acquire(QString(), 0, &joined);
        m_session->writable = false;
        return;
    }
    // A nested use shares what the outer use has loaded and changed; reloading would drop it.
    if (!joined)
        open();
}

FileDatabase::FileDatabase(const FileDatabaseDocument &snapshot)
{
    bool joined = false;
    m_session = FileDatabaseSession::acquire(QString(), 0, &joined);
    m_session->document = snapshot;
    m_session->writable = false;
}

const FileDatabaseDocument &FileDatabase::document() const
{
    return m_session->document;
}

FileDatabase::~FileDatabase()
{
    // Unchanged content is not rewritten, except to create a database that has no file yet.
    if (!m_filePath.isEmpty() && (m_session->dirty || !QFile::exists(m_filePath))) {
        if (!save() && m_session->dirty)
            qCWarning(lcWorkingCopy) << "changes to the file database are lost:" << m_errorString;
    }
    FileDatabaseSession::release(m_session);
}

QString FileDatabase::locationFor(const QString &tenant)
{
    const QStringList roots = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    if (roots.isEmpty() || roots.first().isEmpty())
        return QString();
    // The tenant comes from a file written outside the module: it names one folder, never a
    // way out of the cache folder.
    QString folderName = tenant;
    folderName.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (folderName == QLatin1String(".") || folderName == QLatin1String(".."))
        folderName = QStringLiteral("_");
    const QString folder =
        QDir::cleanPath(roots.first() + QLatin1String(kFileDatabaseFolder) + folderName);
    return folder + QLatin1Char('/') + QLatin1String(kFileDatabaseName);
}

QString FileDatabase::keyForPath(const QString &path)
{
    QString key = path;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (key.isEmpty())
        return key;
    // One file, one key: doubled and trailing separators and "." and ".." parts go. A network
    // path keeps the two separators it starts with.
    const bool network = key.startsWith(QLatin1String("//"));
    key = QDir::cleanPath(key);
    if (network && !key.startsWith(QLatin1String("//")))
        key.prepend(QLatin1Char('/'));
    return key;
}

bool FileDatabase::open()
{
    if (m_filePath.isEmpty() || !m_available)
        return false;
    if (QFile::exists(m_filePath))
        return load();
    m_session->document = FileDatabaseDocument();
    m_session->fileBytes = QByteArray();
    m_session->dirty = false;
    m_session->writable = true;
    return true;
}

bool FileDatabase::load()
{
    if (!m_available)
        return false;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorString = QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString());
        if (file.exists()) {
            // Something is there that we could not look at: never write over it.
            m_session->writable = false;
            qCWarning(lcWorkingCopy).noquote() << m_errorString;
        }
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_errorString = QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString());
        m_session->writable = false;
        qCWarning(lcWorkingCopy).noquote() << m_errorString;
        return false;
    }
    file.close();

    if (!m_session->adoptKeptDocument(bytes)) {
        FileDatabaseDocument document;
        QString parseError;
        if (!document.parse(bytes, &parseError)) {
            keepUnreadableAside(parseError);
            return false;
        }
        m_session->document = std::move(document);
    }
    m_session->fileBytes = bytes;
    m_session->dirty = false;
    m_session->writable = true;
    return true;
}

void FileDatabase::keepUnreadableAside(const QString &reason)
{
    m_errorString = QStringLiteral("%1 is not a readable file database (%2)").arg(m_filePath, reason);
    const QString stem = m_filePath + QLatin1String(kUnreadableSuffix)
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);

    m_session->document = FileDatabaseDocument();
    m_session->fileBytes = QByteArray();
    m_session->dirty = false;
    if (QFile::rename(m_filePath, aside)) {
        m_session->writable = true;
        qCWarning(lcWorkingCopy).noquote()
            << m_errorString << "- kept as" << aside << "and started an empty database";
        tellUser(QObject::tr("The file database %1 could not be read. It is kept as %2, and a "
                             "new file database is started: files downloaded before are shown "
                             "as new until they are downloaded or saved again.")
                     .arg(QDir::toNativeSeparators(m_filePath), QDir::toNativeSeparators(aside)));
    } else {
        m_session->writable = false;
        qCWarning(lcWorkingCopy).noquote()
            << m_errorString << "- it cannot be moved aside, so it is left untouched and"
            << "nothing is saved";
    }
}

void FileDatabase::setUserNotifier(std::function<void(const QString &)> notifier)
{
    UserNotifier &target = userNotifier();
    const QMutexLocker locker(&target.mutex);
    target.notify = std::move(notifier);
}

void FileDatabase::tellUser(const QString &text)
{
    UserNotifier &target = userNotifier();
    QMutexLocker locker(&target.mutex);
    const std::function<void(const QString &)> notify = target.notify;
    locker.unlock();
    if (notify)
        notify(text);
}

bool FileDatabase::save()
{
    if (m_filePath.isEmpty()) {
        m_errorString = QObject::tr("no configuration folder for the file database");
        return false;
    }
    if (!m_available)
        return false;
    if (!m_session->writable) {
        m_errorString = QObject::tr("%1 could not be read and is not overwritten").arg(m_filePath);
        return false;
    }
    const QByteArray bytes = m_session->document.serialize();
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        m_errorString = QObject::tr("cannot write %1: %2").arg(m_filePath, file.errorString());
        return false;
    }
    // Written under a temporary name, then renamed over the old file: a crash in between leaves
    // the old database whole.
    const bool written = file.write(bytes) == bytes.size();
    if (written && FaultPoint::fails("filedatabase.written")) {
        m_errorString = FaultPoint::failureText("filedatabase.written");
        file.cancelWriting();
        return false;
    }
    if (!written || !file.commit()) {
        m_errorString = QObject::tr("cannot write %1: %2").arg(m_filePath, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (FaultPoint::fails("filedatabase.renamed")) {
        m_errorString = FaultPoint::failureText("filedatabase.renamed");
        return false;
    }
    m_session->fileBytes = bytes;
    m_session->dirty = false;
    return true;
}

QString FileDatabase::entryKey(const XmlNode &entry)
{
    // An entry written before paths were made keys is compared as its key.
    QString path = entry.attribute(QLatin1String(kAttrPath));
    if (!isKey(path))
        path = keyForPath(path);
    return path.toCaseFolded();
}

XmlNode *FileDatabase::findEntry(const QString &path) const
{
    const QString key = (isKey(path) ? path : keyForPath(path)).toCaseFolded();
    std::vector<XmlNode> &children = m_session->document.root().children;
    // Lists of hundreds of files ask for each, and check-ins add hundreds: the entries are
    // indexed, and a hit is checked since the entries may have changed after the index was made.
    FileDatabaseDocument::ChildIndex &index = m_session->document.childIndex();
    const auto known = index.at.constFind(key);
    if (known != index.at.constEnd() && *known < children.size()
        && children[*known].isElement() && entryKey(children[*known]) == key)
        return &children[*known];
    if (known == index.at.constEnd() && index.complete)
        return nullptr;
    index = FileDatabaseDocument::ChildIndex();
    XmlNode *found = nullptr;
    // The walk ends at the first node that is not an element; the first entry of a key counts.
    std::size_t i = 0;
    for (; i < children.size() && children[i].isElement(); ++i) {
        const QString childKey = entryKey(children[i]);
        if (index.at.contains(childKey))
            continue;
        index.at.insert(childKey, i);
        if (childKey == key)
            found = &children[i];
    }
    index.complete = i == children.size();
    return found;
}

bool FileDatabase::isKey(const QString &path)
{
    // The quick test for what keyForPath would change: "\", a doubled separator after the
    // first two characters, a "." part, a separator at the end.
    return !path.contains(QLatin1Char('\\')) && path.indexOf(QLatin1String("//"), 1) < 0
        && !path.contains(QLatin1String("/.")) && !path.endsWith(QLatin1Char('/'));
}

QString FileDatabase::entryValue(const QString &path, const QString &attribute) const
{
    const XmlNode *entry = findEntry(path);
    return entry ? entry->attribute(attribute) : QString::fromLatin1(kNoEntry);
}

QString FileDatabase::entryAttribute(const QString &path, const QString &attribute) const
{
    const XmlNode *entry = findEntry(path);
    return entry ? entry->attribute(attribute) : QString();
}

QString FileDatabase::setEntryValue(const QString &path, const QString &attribute,
                                    const QString &value)
{
    XmlNode *entry = findEntry(path);
    if (!entry)
        return QString::fromLatin1(kNoEntry);
    entry->setAttribute(attribute, value);
    m_session->dirty = true;
    return QString::fromLatin1(kEntryUpdated);
}

QString FileDatabase::updateStamp(const QString &path) const
{
    return entryValue(path, QLatin1String(kAttrUpdateStamp));
}

QString FileDatabase::setUpdateStamp(const QString &path, const QString &value)
{
    return setEntryValue(path, QLatin1String(kAttrUpdateStamp), value);
}

QString FileDatabase::setName(const QString &path, const QString &value)
{
    return setEntryValue(path, QLatin1String(kAttrName), value);
}

QString FileDatabase::isLocallyModified(const QString &path) const
{
    return entryValue(path, QLatin1String(kAttrLocallyModified));
}

QString FileDatabase::setLocallyModified(const QString &path, const QString &value)
{
    return setEntryValue(path, QLatin1String(kAttrLocallyModified), value);
}

void FileDatabase::addFile(const QString &path, const QString &vaultId, const QString &name,
                           const QString &updateStamp, const QString &localDate,
                           const QString &type, const QString &locallyModified)
{
    XmlNode entry = XmlNode::make(XmlNode::Element, QLatin1String(kEntryTag));
    entry.reserveAttributes(7);
    entry.setAttribute(QLatin1String(kAttrPath), keyForPath(path));
    entry.setAttribute(QLatin1String(kAttrVaultId), vaultId);
    entry.setAttribute(QLatin1String(kAttrName), name);
    entry.setAttribute(QLatin1String(kAttrUpdateStamp), updateStamp);
    entry.setAttribute(QLatin1String(kAttrLocalDate), localDate);
    entry.setAttribute(QLatin1String(kAttrType), type);
    entry.setAttribute(QLatin1String(kAttrLocallyModified), locallyModified);
    std::vector<XmlNode> &children = m_session->document.root().children;
    FileDatabaseDocument::ChildIndex &index = m_session->document.childIndex();
    if (index.complete) {
        const QString key = entryKey(entry);
        if (!index.at.contains(key))
            index.at.insert(key, children.size());
    }
    children.push_back(std::move(entry));
    m_session->dirty = true;
}

int FileDatabase::removeFilesNamed(const QString &name)
{
    std::vector<XmlNode> &children = m_session->document.root().children;
    auto end = children.begin();
    while (end != children.end() && end->isElement())
        ++end;
    const auto removed = std::remove_if(children.begin(), end, [&](const XmlNode &child) {
        return child.name.compare(QLatin1String(kEntryTag), Qt::CaseInsensitive) == 0
            && child.attribute(QLatin1String(kAttrName)) == name;
    });
    const int count = int(end - removed);
    if (count > 0) {
        children.erase(removed, end);
        // The entries behind the removed ones moved.
        m_session->document.childIndex() = FileDatabaseDocument::ChildIndex();
        m_session->dirty = true;
    }
    return count;
}

QStringList FileDatabase::paths() const
{
    QStringList paths;
    for (const XmlNode &child : m_session->document.root().children) {
        if (!child.isElement())
            break;
        paths.append(child.attribute(QLatin1String(kAttrPath)));
    }
    return paths;
}

QString FileDatabase::valueWhere(const QString &matchAttribute, const QString &matchValue,
                                 const QString &wantedAttribute) const
{
    const XmlNode *entry =
        m_session->document.findElement(QLatin1String(kEntryTag), matchAttribute, matchValue);
    return entry ? entry->attribute(wantedAttribute) : QString();
}

bool FileDatabase::recordExchange(const QString &path, const QString &vaultId,
                                  const QString &name, const QString &updateStamp,
                                  const QString &type, const ContentFingerprint &content)
{
    const bool added = !hasEntry(path);
    if (added) {
        addFile(path, vaultId, name, updateStamp, QString(), type, QLatin1String(kFalse));
    } else {
        setUpdateStamp(path, updateStamp);
        setName(path, name);
        setLocallyModified(path, QLatin1String(kFalse));
    }
    // Unlike "updatestamp", which a local save clears, this stays until the next exchange: the
    // version a later check-in of local changes is based on.
    setEntryValue(path, QLatin1String(kAttrBaseStamp), updateStamp);
    recordContent(path, content);
    return added;
}

bool FileDatabase::recordLocalSave(const QString &path)
{
    const XmlNode *entry = findEntry(path);
    if (!entry)
        return false;
    // A save that wrote the bytes the last exchange left changes nothing the platform lacks.
    if (storedContent(*entry).matches(path)) {
        recordContent(path);
        return true;
    }
    setUpdateStamp(path, QString());
    setLocallyModified(path, QLatin1String(kTrue));
    return true;
}

void FileDatabase::recordContent(const QString &path, const ContentFingerprint &known)
{
    const ContentFingerprint content = known.isValid() ? known : ContentFingerprint::of(path);
    const bool valid = content.isValid();
    // An entry of a file that is not there gets no fingerprint (and loses an old one).
    const XmlNode *entry = findEntry(path);
    if (!entry || (!valid && entry->attribute(QLatin1String(kAttrContentSha256)).isEmpty()))
        return;
    setEntryValue(path, QLatin1String(kAttrContentSize),
                  valid ? QString::number(content.size) : QString());
    setEntryValue(path, QLatin1String(kAttrContentTime),
                  valid ? QString::number(content.modifiedMs) : QString());
    setEntryValue(path, QLatin1String(kAttrContentSha256),
                  valid ? QString::fromLatin1(content.sha256) : QString());
}

bool FileDatabase::hasLocalChanges(const QString &path) const
{
    const XmlNode *entry = findEntry(path);
    if (!entry)
        return true;
    if (entry->attribute(QLatin1String(kAttrLocallyModified)) == QLatin1String(kTrue))
        return true;
    const ContentFingerprint stored = storedContent(*entry);
    // Without a fingerprint (an entry from before they were kept) only a local save counts.
    if (!stored.isValid() || !QFileInfo::exists(path))
        return false;
    return !stored.matches(path);
}

ContentFingerprint FileDatabase::storedContent(const XmlNode &entry)
{
    ContentFingerprint stored;
    bool sized = false;
    stored.size = entry.attribute(QLatin1String(kAttrContentSize)).toLongLong(&sized);
    if (!sized)
        stored.size = -1;
    stored.modifiedMs = entry.attribute(QLatin1String(kAttrContentTime)).toLongLong();
    stored.sha256 = entry.attribute(QLatin1String(kAttrContentSha256)).toLatin1();
    return stored;
}
