#pragma once

#include "fileversion.h"
#include "platformevent.h"
#include "recordlist.h"
#include "titleblockmapping.h"

#include <QString>
#include <QStringList>

#include <functional>

class FzFileInfo;
class JobControl;

// The platform as the module's logic sees it. The module's classes are handed one; only the
// places where the module is wired together (commands, the module object, the creation of
// dialogs and the task pane) pick the connector's. Every call blocks until the platform has
// answered and may come from any thread; records handed back are the caller's own copies.
// Tests hand in a double that answers, refuses, hangs or fails a transfer at a chosen byte.
class AurexPlatform
{
public:
    virtual ~AurexPlatform() = default;

    // How to reach the platform; set before signing in.
    virtual void setProxy(const QString &host, int port, const QString &user,
                          const QString &password) = 0;
    virtual void setServer(const QString &serverHost) = 0;
    virtual void setTenant(const QString &tenant) = 0;
    virtual void usePreferredContext(bool use) = 0;
    virtual bool signInWithPassword(const QString &user, const QString &password,
                                    const QString &serverHost, const QString &casUrl) = 0;
    virtual bool signInWithCookie(const QString &cookie, const QString &space,
                                  const QString &serverHost, const QString &casUrl) = 0;

    virtual QStringList spaces() = 0;
    // The spaces the user may save to; all of them where the platform has no roles.
    virtual QStringList writableSpaces() { return spaces(); }
    virtual bool userInfo(QString *firstName, QString *lastName, QString *email,
                          QString *userId) = 0;

    // The records the query finds, as copies.
    virtual bool search(const FzFileInfo &query, RecordList *hits) = 0;
    // Fetches the previews of records into folder, named after their titles.
    virtual bool downloadPreviews(const RecordList &records, const QString &folder) = 0;
    // Writes each answer into the request it answers; false when not every one was answered.
    virtual bool details(const RecordList &requests) = 0;
    // The object of root and everything it references, root first.
    virtual bool structure(const FzFileInfo &root, RecordList *records) = 0;

    // Downloads every record into its "_LOCALDOWNLOADFOLDER" and sets its "filename" and the
    // platform's state of what arrived. Reports each file and its bytes to control and stops
    // when control is cancelled. Returns one line per file that did not arrive, so an empty
    // list means every file did (a cancelled call lists what it left out).
    virtual QStringList download(const RecordList &records, JobControl *control) = 0;
    // Downloads one object into folder; the local path of the file, or "".
    virtual QString downloadObject(const QString &objectId, const QString &folder) = 0;

    // Checks in the tree below root in one go (all or nothing); control sees the start and the
    // end of the transfer. stored receives copies of the platform's records of what it stored,
    // as far as they can be read (it may stay short: ask details for what it lacks).
    virtual bool checkIn(FzFileInfo *root, const QString &comment, JobControl *control,
                         RecordList *stored) = 0;
    virtual bool lock(FzFileInfo *record, bool locked) = 0;

    // The versions of the object the record names (by "phid", else by "name"), newest first.
    virtual bool versions(const FzFileInfo &object, FileVersionList *versions) = 0;
    // The drawing root as of its version revision, then every file it referenced then, each at
    // the revision it had at that time; a file whose version the platform no longer keeps
    // carries "_VersionPruned" "true" and no size or checksum.
    virtual bool structureAsOf(const FzFileInfo &root, int revision, RecordList *records) = 0;
    // Writes the bytes of version revision of the record's object into folder as fileName,
    // atomically: nothing stands under that name until every byte arrived and was checked.
    // Reports the bytes to control and stops when control is cancelled. The file's path, or "".
    virtual QString downloadVersion(const FzFileInfo &record, int revision, const QString &folder,
                                    const QString &fileName, JobControl *control) = 0;
    // Makes the bytes of version revision the object's next version, saved with comment.
    // Refused when someone else holds the lock, or saved a version after the record's
    // "_BaseModified" (the newest version the caller knew of). On success the record holds the
    // object as stored.
    virtual bool restoreVersion(FzFileInfo *record, int revision, const QString &comment) = 0;
    virtual bool remove(const RecordList &records) = 0;
    // The current drawings that reference the object the record names (by "phid", else by
    // "name"), directly ("_Depth" 1) and up to the top drawings, each once; hidden receives how
    // many more sit in spaces the user is not a member of (they are never named).
    virtual bool whereUsed(const FzFileInfo &object, RecordList *drawings, int *hidden) = 0;
    // The tenant's title-block mapping; false when the platform did not give one.
    virtual bool titleBlockMapping(TitleBlockMapping *mapping) = 0;
    // count new automatic names.
    virtual QStringList autonames(int count) = 0;

    // Reads what happens to the files of the user's spaces, from after lastEventId ("" for
    // what happens next), handing each event to event() on the calling thread, until the
    // stream ends or wanted() (asked several times a second) says false. Returns 200 when the
    // stream ended or was ended, 0 when the platform cannot be reached, else its refusal (401:
    // the session ended).
    virtual int readEvents(const QString &lastEventId,
                           const std::function<void(const PlatformEvent &)> &event,
                           const std::function<bool()> &wanted) = 0;

    // After a call that failed: why the platform cannot be reached ("Connection refused"), in
    // words for the user, or "" when it is there (it refused the call, or took too long).
    // Blocks for a few seconds at most.
    virtual QString unreachableReason() = 0;
    // "The AUREX Platform cannot be reached: REASON." for a call that got no answer, with the
    // reason from unreachableReason(), or "it did not answer" when that has none; the
    // untrusted certificate's text when that was why.
    QString noAnswerText();
    // Why the platform refused the calling thread's last call, in its own words; "" when it
    // was answered or got no answer.
    virtual QString lastRefusal() { return QString(); }
    // Why the platform's certificate was not trusted in the calling thread's last call; "" when
    // it was, or none was involved.
    virtual QString certificateProblem() { return QString(); }
    // "The AUREX Platform's certificate is not trusted: REASON."
    static QString untrustedText(const QString &reason);
    // "The AUREX Platform cannot be reached: REASON."
    static QString unreachableText(const QString &reason);
    // Why a call failed: that the platform's certificate is not trusted, that the platform cannot
    // be reached when it cannot, else refused (the caller's words for a platform that answered
    // no).
    QString failureText(const QString &refused);
};
