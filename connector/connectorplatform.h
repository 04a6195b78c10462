#pragma once

#include "aurexplatform.h"

#include <QCoreApplication>
#include <QMutex>

#include <functional>

class LintraAurexConnectorWrapper;

// The real platform: the connector service. Made once where the module is wired together;
// lives as long as the module. The connector's shared lists are copied right after the call
// that filled them, and its working directory is set and used under one lock, so calls from
// several threads do not mix up their folders.
class ConnectorPlatform : public AurexPlatform
{
    Q_DECLARE_TR_FUNCTIONS(ConnectorPlatform)

public:
    explicit ConnectorPlatform(LintraAurexConnectorWrapper *connector);

    // The module's one instance over the connector service.
    static ConnectorPlatform *shared();

    void setProxy(const QString &host, int port, const QString &user,
                  const QString &password) override;
    void setServer(const QString &serverHost) override;
    void setTenant(const QString &tenant) override;
    void usePreferredContext(bool use) override;
    bool signInWithPassword(const QString &user, const QString &password,
                            const QString &serverHost, const QString &casUrl) override;
    bool signInWithCookie(const QString &cookie, const QString &space, const QString &serverHost,
                          const QString &casUrl) override;
    QStringList spaces() override;
    QStringList writableSpaces() override;
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
    bool whereUsed(const FzFileInfo &object, RecordList *drawings, int *hidden) override;
    bool titleBlockMapping(TitleBlockMapping *mapping) override;
    QStringList autonames(int count) override;
    int readEvents(const QString &lastEventId,
                   const std::function<void(const PlatformEvent &)> &event,
                   const std::function<bool()> &wanted) override;
    QString unreachableReason() override;
    QString lastRefusal() override;
    QString certificateProblem() override;

private:
    class ObservedTransfer;
    // The connector's transaction list, copied right after the call that filled it.
    RecordList transactionCopies();
    // Runs call, which fills the transaction list with versions of the object named name, and
    // copies the answer into records, asking again when another thread's call replaced it
    // first. wholeList: every record is a version of that object, else only the first.
    bool versionsAnswer(const std::function<bool()> &call, const QString &name, bool wholeList,
                        RecordList *records);

    LintraAurexConnectorWrapper *m_connector;
    QMutex m_serverMutex; // guards m_serverHost
    QString m_serverHost;
    QMutex m_folderMutex; // serialises the calls that use the connector's working directory
};
