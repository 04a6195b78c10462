#pragma once

#include "connector/aurexplatform.h"

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>

// A platform in the test's own memory, for the module's logic: it holds objects (title, name,
// content) and answers the module's calls, or refuses, hangs or fails a transfer at a chosen
// byte, as the test says. Transfers go in small chunks, reporting each to the job's control
// and stopping when it is cancelled; a check-in changes the objects only when it completes.
// Thread-safe; the test owns it and keeps it until the jobs' work has ended.
class PlatformDouble : public AurexPlatform
{
public:
    enum Behaviour { Answer, Refuse, Hang };

    // How big a chunk of a transfer is.
    static constexpr qint64 kChunk = 1024;

    PlatformDouble() = default;
    // Ends the event streams being read and waits for them.
    ~PlatformDouble() override;

    // Adds an object; returns its platform name ("AX" and a number).
    QString addObject(const QString &title, const QByteArray &content,
                      const QString &space = QStringLiteral("Engineering"));
    // A colleague (by) saves a new version of title: content, with a new stamp and comment.
    void saveNewVersion(const QString &title, const QByteArray &content,
                        const QString &by = QStringLiteral("bob"),
                        const QString &comment = QString());
    // The platform's retention lets version revision of title go.
    void pruneVersion(const QString &title, int revision);
    // A colleague takes (user) or releases ("") the lock of title.
    void setLockedBy(const QString &title, const QString &user);
    // A colleague moves title to the trash, or brings it back from there.
    void moveToTrash(const QString &title, const QString &user);
    void restoreFromTrash(const QString &title, const QString &user);
    // The content the platform holds under title, or a null array.
    QByteArray content(const QString &title) const;
    int checkInCount() const;
    // How many details queries reached the platform, answered or not.
    int detailsCount() const;
    // How many lock and unlock requests reached the platform, answered or not.
    int lockCount() const;
    // The comment of each completed check-in, oldest first.
    QStringList checkInComments() const;
    // The key each stored check-in came with ("" for none), in order.
    QStringList checkInKeys() const;
    // Bytes all transfers have sent so far.
    qint64 bytesSent() const;

    void setBehaviour(Behaviour behaviour);
    // Transfers stop with a failure once this many bytes (over all files of a call) went.
    void failAtByte(qint64 byte);
    // Transfers stop sending once this many bytes went, until released or cancelled.
    void hangAtByte(qint64 byte);
    // A call or transfer is waiting (Hang, or at the hanging byte).
    bool isHanging() const;
    // Transfers wait this long after each chunk.
    void setChunkDelayMs(int msecs);
    // Whether a check-in answers with the records of what it stored (by default it does).
    void setCheckInAnswered(bool answered);
    // Lets a hanging call go on (it then refuses).
    void release();

    // A drawing that references a file, as where used lists it: by title, how far up (1:
    // directly), and the title of the file it references on the way ("": the file itself).
    struct UsedBy
    {
        QString title;
        int depth = 1; // 0: not said
        QString via;
    };
    // Where used answers for title with drawings, and hidden more in other spaces.
    void setUsedBy(const QString &title, const QList<UsedBy> &drawings, int hidden = 0);
    // The tenant's title-block mapping (the usual one until set).
    void setTitleBlockMapping(const TitleBlockMapping &mapping);
    // The title-block properties the last check-in of title sent, by record key.
    QMap<QString, QString> titleBlockOf(const QString &title) const;

    // A record of an object as a structure listing gives it (title, name, stamp, size).
    std::unique_ptr<FzFileInfo> recordOf(const QString &title) const;

    void setProxy(const QString &, int, const QString &, const QString &) override {}
    void setServer(const QString &) override {}
    void setTenant(const QString &) override {}
    void usePreferredContext(bool) override {}
    bool signInWithPassword(const QString &, const QString &, const QString &,
                            const QString &) override;
    bool signInWithCookie(const QString &, const QString &, const QString &,
                          const QString &) override;
    QStringList spaces() override;
    bool userInfo(QString *firstName, QString *lastName, QString *email,
                  QString *userId) override;
    bool search(const FzFileInfo &query, RecordList *hits) override;
    bool downloadPreviews(const RecordList &records, const QString &folder) override;
    bool details(const RecordList &requests) override;
    bool structure(const FzFileInfo &root, RecordList *records) override;
    QStringList download(const RecordList &records, JobControl *control) override;
    QString downloadObject(const QString &objectId, const QString &folder) override;
    bool checkIn(FzFileInfo *root, const QString &comment, JobControl *control,
                 RecordList *stored) override;
    bool lock(FzFileInfo *record, bool locked) override;
    bool versions(const FzFileInfo &object, FileVersionList *versions) override;
    bool structureAsOf(const FzFileInfo &root, int revision, RecordList *records) override;
    QString downloadVersion(const FzFileInfo &record, int revision, const QString &folder,
                            const QString &fileName, JobControl *control) override;
    bool restoreVersion(FzFileInfo *record, int revision, const QString &comment) override;
    bool remove(const RecordList &records) override;
    QStringList autonames(int count) override;
    bool whereUsed(const FzFileInfo &object, RecordList *drawings, int *hidden) override;
    bool titleBlockMapping(TitleBlockMapping *mapping) override;
    // "Connection refused" while refusing; "" otherwise (a hanging platform listens).
    // Hands out the events of colleagues' saves and locks made through the double, as a
    // stream would, until wanted() says false.
    int readEvents(const QString &lastEventId,
                   const std::function<void(const PlatformEvent &)> &event,
                   const std::function<bool()> &wanted) override;
    QString unreachableReason() override;
    // How many event streams are being read now.
    int streamCount() const;
    // How many times an event stream was asked for, answered or not.
    int streamRequests() const;

    // The login the double is signed in as: its check-ins, restores and locks are this user's.
    static const char kUser[];

private:
    struct Version
    {
        int revision = 0;
        QString title;
        QString stamp;
        QString user;
        QString comment;
        QByteArray content;
        // Orders the versions of all objects by when they were saved: the check-in, save or
        // restore that made it (0: added before the test began).
        int sequence = 0;
        bool pruned = false; // retention let its bytes go
    };
    struct Object
    {
        QString name;
        QString title;
        QString space;
        QByteArray content;
        QString stamp;
        QString lockedBy;
        QMap<QString, QString> titleBlock; // record key to value, as the last check-in sent
        int revision = 0;
        QList<Version> versions; // oldest first, the current one last
    };

    // Records what happened to object, for the event streams; m_mutex held.
    void publish(PlatformEvent::Kind kind, const Object &object, const QString &user,
                 const QString &comment = QString());
    // False when the call is to fail: refused, or released after hanging, or cancelled.
    bool admit(JobControl *control);
    // Waits, with m_mutex held by locker, until released or control is cancelled.
    void hang(QMutexLocker &locker, JobControl *control);
    // Counts bytes sent; false (stop) at the failing byte or when control is cancelled.
    bool sendChunk(qint64 bytes, qint64 *sent, JobControl *control);
    void fillRecord(FzFileInfo *record, const Object &object) const;
    void fillVersionRecord(FzFileInfo *record, const Object &object, const Version &version) const;
    // Makes object's content the next version, saved now by user with comment.
    void addVersion(Object *object, const QString &user, const QString &comment);
    static const Version *versionOf(const Object &object, int revision);
    const Object *find(const QString &nameOrTitle) const;
    Object *findToChange(const QString &title);
    QString nextStamp();

    mutable QMutex m_mutex; // guards every member below
    QWaitCondition m_released;
    QMap<QString, Object> m_objects; // by name
    QMap<QString, Object> m_trash; // by name
    Behaviour m_behaviour = Answer;
    bool m_isReleased = false;
    qint64 m_failAtByte = -1;
    qint64 m_hangAtByte = -1;
    bool m_hanging = false;
    int m_chunkDelayMs = 0;
    bool m_checkInAnswered = true;
    int m_nextName = 1;
    int m_stampCount = 0;
    int m_sequence = 0;
    int m_checkIns = 0;
    int m_detailsCalls = 0;
    int m_lockCalls = 0;
    QStringList m_checkInComments;
    QStringList m_checkInKeys;
    QMap<QString, QPair<QList<UsedBy>, int>> m_usedBy; // by the title of the file used
    TitleBlockMapping m_mapping = TitleBlockMapping::usual();
    QVector<PlatformEvent> m_events; // what happened, numbered from 1
    QWaitCondition m_eventArrived;
    int m_streams = 0;
    int m_streamRequests = 0;
    bool m_closing = false; // the double goes: streams end
    qint64 m_bytesSent = 0;
};
