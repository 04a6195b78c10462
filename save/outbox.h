#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class FileDatabase;
class SaveTreeItem;

// The saves made while working offline, oldest first, until they are sent: "outbox.json"
// beside the tenant's file database. Each entry is a save as the save dialog built it: its
// rows (files, actions, spaces, titles, the version each change is based on) and how many of
// them are saved; the files stay where they are and go as they are when the entry is sent.
// Every change locks the file against other uses (this and other processes), reads it, and
// writes it whole under a temporary name renamed over the old one, so a killed host leaves
// either the old or the new outbox. Any thread; each call is one short use of the file.
class Outbox
{
public:
    struct Entry
    {
        qint64 id = 0; // unique within the outbox, rising in the order of the saves
        QDateTime queuedAt;
        int rowsToSave = 0;
        std::shared_ptr<SaveTreeItem> rows; // the drawing's row and everything below it
        // Why the entry could not be sent the last time ("" when not tried yet).
        QString waitingReason;
        // What the user said of the changes when saving.
        QString comment;
        // The save's key for the platform, the same for every sending, so that a sending whose
        // answer was lost is not stored twice when it goes again ("" in entries of older
        // outboxes: sent without one).
        QString key;
    };

    explicit Outbox(const QString &tenant);

    QString filePath() const { return m_filePath; }
    // Why the last call failed.
    QString errorString() const { return m_error; }
    // The last use failed because another program held the outbox for longer than a use waits.
    bool wasBusy() const { return m_busy; }

    // The entries, oldest first; empty when there is no outbox. False when it cannot be read.
    bool read(QList<Entry> *entries);
    // Adds a save at the end. False, with nothing changed, when the outbox cannot be written.
    bool append(const SaveTreeItem &top, int rowsToSave, const QString &comment = QString());
    // Takes the entry out (sent, or given up by the user); true when it is gone.
    bool remove(qint64 id);
    // Replaces the stored entry of the same id (its rows and its waiting reason).
    bool update(const Entry &entry);
    // The file database keys (lower case) of every file an entry will send.
    QSet<QString> waitingKeys();

    // Brings an entry up to what the file database says now, just before it is sent: whether
    // each change still holds work the platform lacks (an earlier sending may have delivered it
    // before the host was stopped), and the version a change is based on, which an earlier
    // entry may have made newer; a change whose base was dropped on purpose (to overwrite)
    // stays without. A file that was new when saved but is known now (an earlier entry brought
    // it) becomes a change to that object, unless it took a platform name of its own already.
    // Recounts the files to save.
    static void refresh(Entry &entry, const FileDatabase &database);

private:
    // Reads the outbox under its lock, lets change edit the entries, and writes them back when
    // change returns true.
    bool change(const std::function<bool(QList<Entry> &)> &change);
    bool readLocked(QList<Entry> *entries);
    bool writeLocked(const QList<Entry> &entries);

    QString m_filePath;
    QString m_error;
    bool m_busy = false;
};
