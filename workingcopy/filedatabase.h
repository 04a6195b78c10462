#pragma once

#include "contentfingerprint.h"

#include <QString>

#include <functional>

struct ContentFingerprint;
class FileDatabaseDocument;
class FileDatabaseSession;
struct XmlNode;

// The per-tenant record of which platform version each local file is: "filedb.xml" in the
// generic configuration folder + "/fzcachedir/FzxConnector/" + tenant. Build one for a single
// short operation (on the stack or the heap): construction locks and loads the file,
// destruction writes back what changed and unlocks it. Uses of the same file wait for each
// other across threads and processes, for a few seconds at most: a use that could not get the
// file is not available (errorString() says why), reads as empty and writes nothing. A
// FileDatabase built while the same thread already holds one on that file shares its content,
// so nothing either of them changes is lost.
//
// Paths are the database keys: full local paths with "/" as the only separator and no "." or
// ".." parts (convert with keyForPath). Path-keyed operations ignore letter case; valueWhere
// does not.
class FileDatabase
{
public:
    explicit FileDatabase(const QString &tenant);
    // A database that reads snapshot only: it locks, loads and writes nothing, and what is
    // changed in it stays in it.
    explicit FileDatabase(const FileDatabaseDocument &snapshot);
    ~FileDatabase();
    FileDatabase(const FileDatabase &) = delete;
    FileDatabase &operator=(const FileDatabase &) = delete;

    // Where the database of a tenant lives; "" when the system names no configuration folder.
    static QString locationFor(const QString &tenant);
    // path with every "\" turned into "/".
    static QString keyForPath(const QString &path);
    // Who tells the user, called on the thread of the use, that an unreadable database file
    // was kept aside; without one the log's warning is all. The module sets it while loaded.
    static void setUserNotifier(std::function<void(const QString &text)> notifier);

    QString filePath() const { return m_filePath; }
    // False when another thread or program kept the file for longer than this use would wait.
    bool isAvailable() const { return m_available; }
    // Why the last load or save failed.
    QString errorString() const { return m_errorString; }
    // The content as it stands.
    const FileDatabaseDocument &document() const;

    // Loads the file when it exists, else starts an empty database in memory (the file is
    // written by the next save). Drops unsaved changes, also those of nested uses. False when
    // an existing file could not be read.
    bool open();
    // Replaces the content with the file's. False when the file cannot be read or does not
    // parse; a file that does not parse is renamed to "filedb.xml.unreadable-<time>" with a
    // warning, and the database starts empty. A file that can be neither read nor kept aside
    // is never overwritten: save fails until a load succeeds.
    bool load();
    // Writes the whole database atomically (a temporary file renamed over the old one), so a
    // failed save leaves the previous file intact.
    bool save();

    // The path-keyed operations: the first entry whose "path" equals path ignoring case.
    // Getters give the attribute ("" when the entry lacks it) or "-1" without an entry; setters
    // give "0" when set and "-1" without an entry, and then change nothing.
    QString updateStamp(const QString &path) const;
    QString setUpdateStamp(const QString &path, const QString &value);
    QString setName(const QString &path, const QString &value);
    QString isLocallyModified(const QString &path) const;
    QString setLocallyModified(const QString &path, const QString &value);
    QString entryValue(const QString &path, const QString &attribute) const;
    // The same look-ups typed, for the module's own logic: whether path has an entry, and an
    // attribute of its entry ("" without an entry too).
    bool hasEntry(const QString &path) const { return findEntry(path) != nullptr; }
    QString entryAttribute(const QString &path, const QString &attribute) const;

    // Appends an entry with the seven attributes; does not look for an existing one.
    void addFile(const QString &path, const QString &vaultId, const QString &name,
                 const QString &updateStamp, const QString &localDate, const QString &type,
                 const QString &locallyModified);
    // Removes every entry named name (exact comparison), adjacent ones included; returns how
    // many went.
    int removeFilesNamed(const QString &name);
    // The path of every entry, in the database's order.
    QStringList paths() const;
    // The wanted attribute of the first "file" element, at any depth, whose matchAttribute
    // equals matchValue exactly; "" when none does.
    QString valueWhere(const QString &matchAttribute, const QString &matchValue,
                       const QString &wantedAttribute) const;

    // After a download or a check-in of path: refreshes stamp and name and clears the local
    // modification of its entry, or adds an entry with vaultId and type when there is none
    // (an existing entry keeps its own). Also keeps the stamp as "basestamp", which local saves
    // do not clear. Returns true when an entry was added. content identifies the bytes the
    // exchange left when the caller knows them already; when invalid they are read.
    bool recordExchange(const QString &path, const QString &vaultId, const QString &name,
                        const QString &updateStamp, const QString &type,
                        const ContentFingerprint &content = ContentFingerprint());
    // After the user saved path locally: when the file holds other bytes than the last
    // exchange left, its entry loses its stamp and is marked modified; when it holds the same,
    // only the time of those bytes is updated. A path without an entry stays unknown. Returns
    // whether the path has an entry. recordExchange also notes the bytes the exchange left.
    bool recordLocalSave(const QString &path);
    // Notes what identifies the bytes path holds now (see ContentFingerprint): content, or
    // when that is invalid, the file as read now.
    void recordContent(const QString &path,
                       const ContentFingerprint &content = ContentFingerprint());
    // Whether path holds work the platform does not have: it is unknown, saved locally since
    // the last exchange, or holds other bytes than that exchange left (whatever changed them).
    bool hasLocalChanges(const QString &path) const;

private:
    // How findEntry compares an entry: its path as a key, case folded.
    static QString entryKey(const XmlNode &entry);
    // The entry a path-keyed operation works on, or null.
    XmlNode *findEntry(const QString &path) const;
    static ContentFingerprint storedContent(const XmlNode &entry);
    // Whether path is a key already (keyForPath would leave it as it is).
    static bool isKey(const QString &path);
    QString setEntryValue(const QString &path, const QString &attribute, const QString &value);
    void keepUnreadableAside(const QString &reason);
    static void tellUser(const QString &text);

    QString m_filePath;
    FileDatabaseSession *m_session = nullptr; // shared with nested uses on this thread
    QString m_errorString;
    bool m_available = true;
};
