#pragma once

#include "platformconnection.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FzFileInfo;

// What stands behind LintraAurexConnectorWrapper: the connection settings, the session and the
// two shared record lists. Calls may come from any thread: settings are copied out under the
// mutex at the start of a call, the HTTP work runs without it on data of its own, and the lists
// are replaced under it at the end. A replaced list lives on for kRetiredGenerations more
// replacements, because callers read the records by pointer after the call that filled the
// list. Owned by the wrapper singleton.
class ConnectorClient
{
public:
    ConnectorClient();
    ~ConnectorClient();

    void setProxy(const QString &host, int port, const QString &user, const QString &password);
    void setServer(const QString &serverHost);
    void setTenant(const QString &tenant);
    void setPreferredContext(bool use);
    void setWorkingDirectory(const QString &folder);
    void setSessionEndedHandler(std::function<void()> handler);

    bool signInWithCookie(const QString &cookie, const QString &space, const QString &serverHost,
                          const QString &casUrl);
    bool signInWithPassword(const QString &user, const QString &password,
                            const QString &serverHost, const QString &casUrl);
    bool userInfo(QString *firstName, QString *lastName, QString *email, QString *userId);
    // The user's spaces; writableOnly: those the user may save to, not those they only read.
    std::vector<std::string> spaces(bool writableOnly = false);

    bool search(FzFileInfo *query);
    int searchCount();
    FzFileInfo *searchRecord(int index);
    bool details(const std::vector<FzFileInfo *> &records);
    bool structure(FzFileInfo *record);
    int transactionCount();
    FzFileInfo *transactionRecord(int index);

    bool downloadPreviews(const std::vector<FzFileInfo *> &records);
    QString downloadObject(const QString &objectId);
    std::vector<std::string> downloadRecords(const std::vector<FzFileInfo *> &records);

    bool checkIn(FzFileInfo *root, const QString &comment = QString());
    // The versions of the record's object, newest first, into the transaction list.
    bool versions(FzFileInfo *record);
    // The drawing's structure as of one of its versions, into the transaction list.
    bool structureAsOf(FzFileInfo *record, int revision);
    // One version's bytes into folder/fileName (the version's title when empty); the file's
    // path, or empty on failure.
    QString downloadVersion(FzFileInfo *record, int revision, const QString &folder,
                            const QString &fileName);
    // A new version with the bytes of an earlier one; the record then holds the object.
    bool restore(FzFileInfo *record, int revision, const QString &comment);
    using EventHandler = std::function<void(const QString &id, const QString &name,
                                            const QByteArray &data)>;
    // Reads the event stream on a thread of its own; events go to event() on the calling
    // thread, which also asks wanted() several times a second. Returns the stream's status.
    int readEvents(const QString &lastEventId, const EventHandler &event,
                   const std::function<bool()> &wanted);
    bool lock(FzFileInfo *record, bool locked);
    // The drawings that reference the record's object, directly or further up, as copies in
    // drawings; hidden: how many more sit in spaces the user is not a member of.
    bool whereUsed(FzFileInfo *record, std::vector<FzFileInfo> *drawings, int *hidden);
    // Which attribute tags of a title block give which record property, by the platform's
    // names ("number", "title", "revision", "sheet"), each in the order of preference.
    bool titleBlockMapping(std::map<std::string, std::vector<std::string>> *mapping);
    bool remove(const std::vector<FzFileInfo *> &records);
    std::vector<std::string> autonames(FzFileInfo *request);

    // How many replaced generations of each list stay alive.
    static constexpr size_t kRetiredGenerations = 8;

private:
    using RecordList = std::vector<std::unique_ptr<FzFileInfo>>;
    struct SharedList {
        RecordList current;
        std::deque<RecordList> retired; // oldest first
    };

    PlatformEndpoint endpoint();
    QString workingDirectory();
    // Logs a failure reason. When the platform refused the session the call carried, forgets
    // it and calls the session-ended handler.
    void failed(const char *operation, const QString &reason, const PlatformConnection &link);
    // One file of a list to download; done when it is current or has arrived.
    struct Transfer {
        size_t index = 0;
        QString phid;
        QString folder;
        QString title;
        QString basis; // a local file whose chunks may be reused
        QJsonObject object; // the platform's record of it
        QString stamp;
        QString error;
        size_t link = 0;
        bool done = false;
    };
    // Downloads the transfers not done yet over a few connections at once.
    void transferAll(std::vector<Transfer> *transfers);
    bool signIn(const char *casPath, QJsonObject body, const QString &serverHost,
                const QString &casUrl);
    bool call(const char *operation, const QString &path, const QJsonObject &body,
              QJsonObject *answer);
    void replace(SharedList &list, RecordList fresh);
    // Fetches the previews of the objects refs names; titles give the local file names.
    bool fetchPreviews(const QJsonArray &refs, const QStringList &titles);
    static RecordList recordsFrom(const QJsonArray &objects);
    // "/objects/PHID" of the record's object: its "phid", or the one the platform gives for
    // its name. Empty (the reason logged) when the platform does not know it.
    QString objectPath(const char *operation, FzFileInfo *record);
    static QJsonArray refsOf(const std::vector<FzFileInfo *> &records);

    QMutex m_mutex; // guards every member below
    PlatformEndpoint m_endpoint;
    QString m_tenant;
    bool m_preferredContext = false;
    QString m_workingDirectory;
    std::function<void()> m_sessionEnded;
    SharedList m_searchList;
    SharedList m_transactionList;
};
