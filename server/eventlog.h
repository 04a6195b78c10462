#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// One thing that happened to an object, as subscribers read it.
struct PlatformEvent {
    qint64 seq = 0;
    qint64 spaceId = 0;
    QString kind;
    // The event as a server-sent event: its id, its name and its JSON data.
    QByteArray text;
};

// What happened to objects (check-ins, locks, unlocks, deletes, restores), numbered in the
// order they were recorded, in the platform's database so that every platform process sharing
// it sees them and a subscriber that comes back can be given what it missed. Kept for a while,
// then pruned; the number pruned through is kept, so a subscriber that missed pruned events is
// told to refresh instead. Statements on the current thread's connection.
class EventLog
{
public:
    // Kinds of event.
    static const char kCheckIn[];
    static const char kLock[];
    static const char kUnlock[];
    static const char kDelete[];
    static const char kRestore[];
    // Back from the trash, where a delete put it.
    static const char kUndelete[];

    // Records, in the current transaction, that login did kind to the object, as the object
    // stands now (before a delete, after anything else), with the check-in's comment; the
    // audit trail gets it too, with the address login called from and what detail says of it
    // (the comment when empty).
    static void record(const char *kind, qint64 objectId, const QString &login,
                       const QString &comment = QString(), const QString &address = QString(),
                       const QString &detail = QString());
    // Whether this thread recorded events since it was last asked.
    static bool takeRecordedHere();
    // The events numbered above seq, oldest first, at most limit.
    static QVector<PlatformEvent> after(qint64 seq, int limit);
    // The number of the last event recorded (pruned or not); 0 before the first.
    static qint64 latest();
    // Events pruned so far go up to this number.
    static qint64 prunedThrough();
    // Drops the events older than seconds; how many went.
    static int prune(int olderThanSeconds);
    // For a restored database, whose log went on after the backup: numbers from now on lie
    // margin past every number it shows, and a subscriber coming back with any number given
    // so far is told to refresh. In the caller's transaction.
    static void skipNumbers(qint64 margin);
    // The stream's own lines: "resync" (refresh everything, events were missed) and the
    // comment that keeps an idle connection open.
    static QByteArray resyncText();
    static QByteArray keepAliveText();
};
