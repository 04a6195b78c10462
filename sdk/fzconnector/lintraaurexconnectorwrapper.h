#pragma once

#include "fzconnectorexport.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FzFileInfo;
class ConnectorClient;

// The one way to the platform: a process-wide service whose calls block until the platform has
// answered. Every call may come from any thread; the search list and the transaction list are
// shared state of the one instance, read right after the call that filled them. Failures come
// back only as false, empty or zero results; the reason goes to the debug output.
//
// Records that GetSearchFileAt and GetTransactionFileAt return belong to the connector. Each
// stays valid and unchanged while its list is replaced up to eight more times, by any thread
// (the search list by Search and SearchPattern, the transaction list by Details,
// GetStructure_Block and a successful CheckIn), and is freed after that. Copy a record to keep
// it longer.
class FZCONNECTOR_EXPORT LintraAurexConnectorWrapper
{
public:
    static LintraAurexConnectorWrapper *GetInstance();

    void SetProxySettings(const QString &host, int port, const QString &user,
                          const QString &password);
    void SetServer(const QString &serverHost);
    void SetTenant(const QString &tenant);
    void UsePreferredContext(bool use);
    // Called when the platform refuses the session token of a call (the session expired or was
    // ended on the platform): the connector has then forgotten the token. Runs on the thread of
    // that call, once per session.
    void SetSessionEndedHandler(std::function<void()> handler);

    bool LoginWithCASCookie_Block(const QString &cookie, const QString &collaborativeSpace,
                                  const QString &serverHost, const QString &casUrl);
    bool LxGatepassLogin(const QString &user, const QString &password, const QString &serverHost,
                         const QString &reserved, const QString &casUrl);
    bool GetUserInfo(QString *firstName, QString *lastName, QString *email, QString *userId);

    std::vector<std::string> GetListOfCollaborativeSpaces();
    // Those of them the user may save to (a reader's are left out).
    std::vector<std::string> GetListOfWritableCollaborativeSpaces();
    void SetWorkingDirectory(const QString &folder);

    bool Search();
    bool SearchPattern(FzFileInfo *query);
    // Why the platform refused the calling thread's last search, details, structure or lock
    // call, in its own words (an unknown query key, a lock); "" when the call was answered or
    // got no answer at all.
    QString GetLastRefusal();
    // Why the platform's certificate was not trusted in the calling thread's last call (OpenSSL's
    // words: "self-signed certificate"); "" when it was, or no certificate was involved.
    QString GetCertificateProblem();
    int GetSearchListSize();
    FzFileInfo *GetSearchFileAt(int index);

    bool DownloadPreviews(const std::vector<FzFileInfo *> &records);
    bool Details(std::vector<FzFileInfo *> records);
    int GetTransactionListSize();
    FzFileInfo *GetTransactionFileAt(int index);
    bool GetStructure_Block(FzFileInfo *record);

    // Downloads one object into the working directory; returns what to append to the working
    // directory to reach the file (it begins with a separator), or "" on failure.
    QString Download_Block(const QString &objectId);
    // Downloads every record into its "_LOCALDOWNLOADFOLDER" (or the working directory) and
    // sets its "filename"; returns one message per failure, so an empty list means success.
    std::vector<std::string> Download_Block(const std::vector<FzFileInfo *> &records);

    bool CheckIn(FzFileInfo *root);
    // The same, with one comment for every file it saves (at most 2,000 characters).
    bool CheckIn(FzFileInfo *root, const QString &comment);
    // Fills the transaction list with the versions of the record's object (found by "phid",
    // else by name), newest first: each the object's record as it was at that version, with
    // "_CheckIn" and "_Comment".
    bool GetVersions_Block(FzFileInfo *record);
    // Fills the transaction list with the drawing's structure as of one of its versions: each
    // file at the revision it had when that version was saved.
    bool GetStructureAsOf_Block(FzFileInfo *record, int revision);
    // Downloads the bytes of one version into folder as fileName (the version's title when
    // empty), through a partial file checked against the version's SHA-256 and then renamed
    // into place; returns the file's path, or "" on failure.
    QString DownloadVersion_Block(FzFileInfo *record, int revision, const QString &folder,
                                  const QString &fileName = QString());
    // Makes the bytes of an earlier version the object's next version, with the comment given
    // (else "Restored version N"). Refused when someone else holds the lock, or saved since the
    // record's "_BaseModified" (else "_filemodified"); on success the record holds the object.
    bool RestoreVersion_Block(FzFileInfo *record, int revision,
                              const QString &comment = QString());
    // Hears, for the downloads and check-ins the calling thread makes from now on, of every
    // block of bytes they move (from the connector's transfer threads too, one call at a time);
    // called with 0 while a transfer waits to try again, and with a negative count for bytes
    // sent before a connection dropped that never arrived. Returning false cancels the transfer.
    // An empty function stops it.
    static void SetTransferObserver(std::function<bool(qint64 bytes)> observer);
    // Reads the platform's event stream of the signed-in user (check-ins, locks, unlocks,
    // deletes, restores of the objects of their spaces, and "resync" when events were missed),
    // sending lastEventId ("" for none) to get what came after it. Each event's id, name and
    // JSON data go to event() on the calling thread, which also asks wanted() several times a
    // second and ends the stream when it says false. Returns when the stream ends: 200 (it
    // ended, or was ended), 0 (the platform cannot be reached) or the platform's refusal (401:
    // the session ended, as for any call).
    int ReadEvents_Block(const QString &lastEventId,
                         const std::function<void(const QString &id, const QString &name,
                                                  const QByteArray &data)> &event,
                         const std::function<bool()> &wanted);
    bool LockFile(FzFileInfo *record);
    bool UnlockFile(FzFileInfo *record);
    bool Delete_Block(const std::vector<FzFileInfo *> &records);
    // The drawings that reference the record's object (found by "phid", else by name), directly
    // and up to the top drawings, each once with "_Depth" (1: directly) and "_ReferencedVia"
    // (the phid of the file it references on the way); hiddenCount: how many more there are in
    // spaces the user is not a member of. Copies of their own, so no shared list is touched.
    bool GetWhereUsed_Block(FzFileInfo *record, std::vector<FzFileInfo> *drawings,
                            int *hiddenCount);
    // The tenant's mapping of title-block attribute tags to the properties "number", "title",
    // "revision" and "sheet", each property's tags in the order of preference.
    bool GetTitleBlockMapping(std::map<std::string, std::vector<std::string>> *mapping);
    std::vector<std::string> GetAutoname_Block(FzFileInfo *request);

private:
    LintraAurexConnectorWrapper();
    ~LintraAurexConnectorWrapper();
    LintraAurexConnectorWrapper(const LintraAurexConnectorWrapper &) = delete;
    LintraAurexConnectorWrapper &operator=(const LintraAurexConnectorWrapper &) = delete;

    std::unique_ptr<ConnectorClient> m_client;
};
