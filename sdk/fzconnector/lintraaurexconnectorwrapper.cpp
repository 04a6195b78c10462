#include "lintraaurexconnectorwrapper.h"

#include "connectorclient.h"
#include "platformconnection.h"
#include "fzfileinfo.h"
#include "transferobserver.h"

LintraAurexConnectorWrapper *LintraAurexConnectorWrapper::GetInstance()
{
    // Created on first use, thread-safely, and kept until the process ends.
    static LintraAurexConnectorWrapper *instance = new LintraAurexConnectorWrapper;
    return instance;
}

LintraAurexConnectorWrapper::LintraAurexConnectorWrapper()
    : m_client(std::make_unique<ConnectorClient>())
{
}

LintraAurexConnectorWrapper::~LintraAurexConnectorWrapper() = default;

void LintraAurexConnectorWrapper::SetProxySettings(const QString &host, int port,
                                                   const QString &user, const QString &password)
{
    m_client->setProxy(host, port, user, password);
}

void LintraAurexConnectorWrapper::SetServer(const QString &serverHost)
{
    m_client->setServer(serverHost);
}

void LintraAurexConnectorWrapper::SetTenant(const QString &tenant) { m_client->setTenant(tenant); }

void LintraAurexConnectorWrapper::UsePreferredContext(bool use)
{
    m_client->setPreferredContext(use);
}

void LintraAurexConnectorWrapper::SetSessionEndedHandler(std::function<void()> handler)
{
    m_client->setSessionEndedHandler(std::move(handler));
}

bool LintraAurexConnectorWrapper::LoginWithCASCookie_Block(const QString &cookie,
                                                           const QString &collaborativeSpace,
                                                           const QString &serverHost,
                                                           const QString &casUrl)
{
    return m_client->signInWithCookie(cookie, collaborativeSpace, serverHost, casUrl);
}

bool LintraAurexConnectorWrapper::LxGatepassLogin(const QString &user, const QString &password,
                                                  const QString &serverHost, const QString &,
                                                  const QString &casUrl)
{
    return m_client->signInWithPassword(user, password, serverHost, casUrl);
}

bool LintraAurexConnectorWrapper::GetUserInfo(QString *firstName, QString *lastName,
                                              QString *email, QString *userId)
{
    return m_client->userInfo(firstName, lastName, email, userId);
}

std::vector<std::string> LintraAurexConnectorWrapper::GetListOfCollaborativeSpaces()
{
    return m_client->spaces();
}

std::vector<std::string> LintraAurexConnectorWrapper::GetListOfWritableCollaborativeSpaces()
{
    return m_client->spaces(true);
}

void LintraAurexConnectorWrapper::SetWorkingDirectory(const QString &folder)
{
    m_client->setWorkingDirectory(folder);
}

bool LintraAurexConnectorWrapper::Search() { return m_client->search(nullptr); }

bool LintraAurexConnectorWrapper::SearchPattern(FzFileInfo *query)
{
    return query && m_client->search(query);
}

QString LintraAurexConnectorWrapper::GetLastRefusal() { return PlatformConnection::lastRefusal(); }

QString LintraAurexConnectorWrapper::GetCertificateProblem()
{
    return PlatformConnection::certificateProblem();
}

int LintraAurexConnectorWrapper::GetSearchListSize() { return m_client->searchCount(); }

FzFileInfo *LintraAurexConnectorWrapper::GetSearchFileAt(int index)
{
    return m_client->searchRecord(index);
}

bool LintraAurexConnectorWrapper::DownloadPreviews(const std::vector<FzFileInfo *> &records)
{
    return m_client->downloadPreviews(records);
}

bool LintraAurexConnectorWrapper::Details(std::vector<FzFileInfo *> records)
{
    return m_client->details(records);
}

int LintraAurexConnectorWrapper::GetTransactionListSize() { return m_client->transactionCount(); }

FzFileInfo *LintraAurexConnectorWrapper::GetTransactionFileAt(int index)
{
    return m_client->transactionRecord(index);
}

bool LintraAurexConnectorWrapper::GetStructure_Block(FzFileInfo *record)
{
    return m_client->structure(record);
}

QString LintraAurexConnectorWrapper::Download_Block(const QString &objectId)
{
    return m_client->downloadObject(objectId);
}

std::vector<std::string>
LintraAurexConnectorWrapper::Download_Block(const std::vector<FzFileInfo *> &records)
{
    return m_client->downloadRecords(records);
}

bool LintraAurexConnectorWrapper::CheckIn(FzFileInfo *root) { return m_client->checkIn(root); }

bool LintraAurexConnectorWrapper::CheckIn(FzFileInfo *root, const QString &comment)
{
    return m_client->checkIn(root, comment);
}

bool LintraAurexConnectorWrapper::GetVersions_Block(FzFileInfo *record)
{
    return m_client->versions(record);
}

bool LintraAurexConnectorWrapper::GetStructureAsOf_Block(FzFileInfo *record, int revision)
{
    return m_client->structureAsOf(record, revision);
}

QString LintraAurexConnectorWrapper::DownloadVersion_Block(FzFileInfo *record, int revision,
                                                           const QString &folder,
                                                           const QString &fileName)
{
    return m_client->downloadVersion(record, revision, folder, fileName);
}

int LintraAurexConnectorWrapper::ReadEvents_Block(
    const QString &lastEventId,
    const std::function<void(const QString &, const QString &, const QByteArray &)> &event,
    const std::function<bool()> &wanted)
{
    return m_client->readEvents(lastEventId, event, wanted);
}

bool LintraAurexConnectorWrapper::GetWhereUsed_Block(FzFileInfo *record,
                                                     std::vector<FzFileInfo> *drawings,
                                                     int *hiddenCount)
{
    return record && drawings && hiddenCount
        && m_client->whereUsed(record, drawings, hiddenCount);
}

bool LintraAurexConnectorWrapper::GetTitleBlockMapping(
    std::map<std::string, std::vector<std::string>> *mapping)
{
    return mapping && m_client->titleBlockMapping(mapping);
}

bool LintraAurexConnectorWrapper::RestoreVersion_Block(FzFileInfo *record, int revision,
                                                       const QString &comment)
{
    return m_client->restore(record, revision, comment);
}

void LintraAurexConnectorWrapper::SetTransferObserver(std::function<bool(qint64)> observer)
{
    TransferObserver::setForThisThread(std::move(observer));
}

bool LintraAurexConnectorWrapper::LockFile(FzFileInfo *record)
{
    return m_client->lock(record, true);
}

bool LintraAurexConnectorWrapper::UnlockFile(FzFileInfo *record)
{
    return m_client->lock(record, false);
}

bool LintraAurexConnectorWrapper::Delete_Block(const std::vector<FzFileInfo *> &records)
{
    return m_client->remove(records);
}

std::vector<std::string> LintraAurexConnectorWrapper::GetAutoname_Block(FzFileInfo *request)
{
    return m_client->autonames(request);
}
