#include "connectorplatform.h"

#include "connectorlogging.h"
#include "recordbuilder.h"
#include "recordconstants.h"
#include "recordfields.h"

#include "support/jobcontrol.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QCoreApplication>
#include <QMutexLocker>
#include <QTcpSocket>
#include <QUrl>

namespace {
// How long the look for a listening platform waits, in milliseconds.
constexpr int kProbeMs = 3000;

// A download goes to the connector a few files at a time: each call fetches its files over
// several connections at once, and between calls the job shows its progress and can stop.
// Each call also asks the platform for its files' details and opens its connections: for small
// files that costs about as much as the files (bench_open: the 200 files took 200-290 ms in
// calls of 16, 165-260 ms in calls of 64).
constexpr qint64 kBatchBytes = 8 << 20;
constexpr std::size_t kBatchFiles = 64;
// How often a list answer that another thread's call replaced is asked for again.
constexpr int kAnswerAttempts = 3;

qint64 sizeOf(const FzFileInfo &record)
{
    return recordProperty(record, kKeySize).toLongLong();
}

QStringList textsOf(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list.append(QString::fromStdString(text));
    return list;
}
} // namespace

ConnectorPlatform::ConnectorPlatform(LintraAurexConnectorWrapper *connector)
    : m_connector(connector)
{
}

ConnectorPlatform *ConnectorPlatform::shared()
{
    static ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
    return &platform;
}

void ConnectorPlatform::setProxy(const QString &host, int port, const QString &user,
                                 const QString &password)
{
    m_connector->SetProxySettings(host, port, user, password);
}

void ConnectorPlatform::setServer(const QString &serverHost)
{
    {
        QMutexLocker locker(&m_serverMutex);
        m_serverHost = serverHost;
    }
    m_connector->SetServer(serverHost);
}

void ConnectorPlatform::setTenant(const QString &tenant)
{
    m_connector->SetTenant(tenant);
}

void ConnectorPlatform::usePreferredContext(bool use)
{
    m_connector->UsePreferredContext(use);
}

bool ConnectorPlatform::signInWithPassword(const QString &user, const QString &password,
                                           const QString &serverHost, const QString &casUrl)
{
    return m_connector->LxGatepassLogin(user, password, serverHost, QString(), casUrl);
}

bool ConnectorPlatform::signInWithCookie(const QString &cookie, const QString &space,
                                         const QString &serverHost, const QString &casUrl)
{
    return m_connector->LoginWithCASCookie_Block(cookie, space, serverHost, casUrl);
}

QStringList ConnectorPlatform::spaces()
{
    return textsOf(m_connector->GetListOfCollaborativeSpaces());
}

QStringList ConnectorPlatform::writableSpaces()
{
    return textsOf(m_connector->GetListOfWritableCollaborativeSpaces());
}

bool ConnectorPlatform::userInfo(QString *firstName, QString *lastName, QString *email,
                                 QString *userId)
{
    return m_connector->GetUserInfo(firstName, lastName, email, userId);
}

bool ConnectorPlatform::search(const FzFileInfo &query, RecordList *hits)
{
    FzFileInfo request(query);
    const bool found = m_connector->SearchPattern(&request);
    // The search list is the connector's shared state: it is copied right after the search.
    *hits = RecordList::copiesOf(m_connector->GetSearchListSize(),
                                 [this](int i) { return m_connector->GetSearchFileAt(i); });
    return found;
}

QString ConnectorPlatform::certificateProblem()
{
    return m_connector->GetCertificateProblem();
}

QString ConnectorPlatform::lastRefusal()
{
    return m_connector->GetLastRefusal();
}

bool ConnectorPlatform::downloadPreviews(const RecordList &records, const QString &folder)
{
    QMutexLocker locker(&m_folderMutex);
    m_connector->SetWorkingDirectory(folder);
    return m_connector->DownloadPreviews(records.records());
}

bool ConnectorPlatform::details(const RecordList &requests)
{
    // The connector writes each answer into the request it came from, so the answers are read
    // there rather than from the shared transaction list, which another thread may replace.
    return m_connector->Details(requests.records());
}

bool ConnectorPlatform::structure(const FzFileInfo &root, RecordList *records)
{
    FzFileInfo request(root);
    records->clear();
    if (!m_connector->GetStructure_Block(&request))
        return false;
    *records = transactionCopies();
    return !records->empty();
}

RecordList ConnectorPlatform::transactionCopies()
{
    return RecordList::copiesOf(m_connector->GetTransactionListSize(),
                                [this](int i) { return m_connector->GetTransactionFileAt(i); });
}

// For the span of one connector call on this thread: the bytes it moves count as the job's
// progress, and the job's cancel stops it.
class ConnectorPlatform::ObservedTransfer
{
public:
    explicit ObservedTransfer(JobControl *control)
    {
        LintraAurexConnectorWrapper::SetTransferObserver([control, this](qint64 bytes) {
            if (bytes != 0) {
                m_reported += bytes;
                control->addProcessed(0, bytes);
            } else {
                control->alive();
            }
            return !control->isCancelled();
        });
    }
    ~ObservedTransfer() { LintraAurexConnectorWrapper::SetTransferObserver(nullptr); }
    ObservedTransfer(const ObservedTransfer &) = delete;
    ObservedTransfer &operator=(const ObservedTransfer &) = delete;

    // What is left of expected bytes that the transfer did not report (files it found current
    // and did not move).
    qint64 unreported(qint64 expected) const { return qMax<qint64>(0, expected - m_reported); }

private:
    qint64 m_reported = 0; // the observer is called one call at a time
};

QStringList ConnectorPlatform::download(const RecordList &records, JobControl *control)
{
    QStringList failures;
    const std::vector<FzFileInfo *> &all = records.records();
    std::size_t next = 0;
    while (next < all.size()) {
        if (control->isCancelled()) {
            for (; next < all.size(); ++next)
                failures.append(tr("%1: cancelled").arg(recordTitle(*all[next])));
            break;
        }
        std::vector<FzFileInfo *> batch;
        qint64 bytes = 0;
        control->setCurrentName(recordTitle(*all[next]));
        while (next < all.size() && batch.size() < kBatchFiles
               && (batch.empty() || bytes + sizeOf(*all[next]) <= kBatchBytes)) {
            bytes += sizeOf(*all[next]);
            batch.push_back(all[next++]);
        }
        const ObservedTransfer observed(control);
        failures += textsOf(m_connector->Download_Block(batch));
        control->addProcessed(qint64(batch.size()), observed.unreported(bytes));
    }
    return failures;
}

QString ConnectorPlatform::downloadObject(const QString &objectId, const QString &folder)
{
    QMutexLocker locker(&m_folderMutex);
    m_connector->SetWorkingDirectory(folder);
    // The connector's answer is appended as it is: it carries its own separator.
    const QString downloaded = m_connector->Download_Block(objectId);
    return downloaded.isEmpty() ? QString() : folder + downloaded;
}

bool ConnectorPlatform::checkIn(FzFileInfo *root, const QString &comment, JobControl *control,
                                RecordList *stored)
{
    control->alive();
    stored->clear();
    const ObservedTransfer observed(control);
    if (!m_connector->CheckIn(root, comment))
        return false;
    // The answer is the shared transaction list, which a call on another thread may have
    // replaced already: the caller checks the names it finds.
    *stored = transactionCopies();
    return true;
}

bool ConnectorPlatform::lock(FzFileInfo *record, bool locked)
{
    return locked ? m_connector->LockFile(record) : m_connector->UnlockFile(record);
}

bool ConnectorPlatform::versionsAnswer(const std::function<bool()> &call, const QString &name,
                                       bool wholeList, RecordList *records)
{
    // Another thread's call may replace the shared list before it is copied. Every record of a
    // versions answer, and the first of a structure as of a version, is a version of an object
    // ("_CheckIn"); the first one is the object asked for.
    const auto isAnswer = [&name, wholeList](const RecordList &list) {
        for (std::size_t i = 0; i < list.size() && (i == 0 || wholeList); ++i) {
            const FzFileInfo &record = *list.at(i);
            if (!record.HasProperty(kKeyCheckIn)
                || (!name.isEmpty() && recordProperty(record, kKeyName) != name))
                return false;
        }
        return !list.empty();
    };
    for (int attempt = 0; attempt < kAnswerAttempts; ++attempt) {
        records->clear();
        if (!call())
            return false;
        *records = transactionCopies();
        if (isAnswer(*records))
            return true;
        qCDebug(lcConnectorPlatform) << "the answer was replaced by another call's; asking again";
    }
    records->clear();
    return false;
}

bool ConnectorPlatform::versions(const FzFileInfo &object, FileVersionList *versions)
{
    FzFileInfo request(object);
    versions->clear();
    RecordList records;
    if (!versionsAnswer([&] { return m_connector->GetVersions_Block(&request); },
                        recordProperty(object, kKeyName), true, &records))
        return false;
    for (const FzFileInfo *record : records)
        versions->append(FileVersion::fromRecord(*record));
    return true;
}

bool ConnectorPlatform::structureAsOf(const FzFileInfo &root, int revision, RecordList *records)
{
    FzFileInfo request(root);
    return versionsAnswer(
        [&] { return m_connector->GetStructureAsOf_Block(&request, revision); },
        recordProperty(root, kKeyName), false, records);
}

QString ConnectorPlatform::downloadVersion(const FzFileInfo &record, int revision,
                                           const QString &folder, const QString &fileName,
                                           JobControl *control)
{
    FzFileInfo request(record);
    control->setCurrentName(fileName);
    const ObservedTransfer observed(control);
    return m_connector->DownloadVersion_Block(&request, revision, folder, fileName);
}

bool ConnectorPlatform::restoreVersion(FzFileInfo *record, int revision, const QString &comment)
{
    return m_connector->RestoreVersion_Block(record, revision, comment);
}

bool ConnectorPlatform::remove(const RecordList &records)
{
    return m_connector->Delete_Block(records.records());
}

bool ConnectorPlatform::whereUsed(const FzFileInfo &object, RecordList *drawings, int *hidden)
{
    FzFileInfo request(object);
    std::vector<FzFileInfo> found;
    drawings->clear();
    *hidden = 0;
    if (!m_connector->GetWhereUsed_Block(&request, &found, hidden))
        return false;
    for (const FzFileInfo &drawing : found)
        drawings->addCopy(drawing);
    return true;
}

bool ConnectorPlatform::titleBlockMapping(TitleBlockMapping *mapping)
{
    std::map<std::string, std::vector<std::string>> answer;
    if (!m_connector->GetTitleBlockMapping(&answer))
        return false;
    QList<QPair<QString, QStringList>> properties;
    for (const auto &property : answer) {
        QStringList tags;
        for (const std::string &tag : property.second)
            tags.append(QString::fromStdString(tag));
        properties.append({QString::fromStdString(property.first), tags});
    }
    *mapping = TitleBlockMapping::fromPlatform(properties);
    return true;
}

int ConnectorPlatform::readEvents(const QString &lastEventId,
                                  const std::function<void(const PlatformEvent &)> &event,
                                  const std::function<bool()> &wanted)
{
    return m_connector->ReadEvents_Block(
        lastEventId,
        [&event](const QString &id, const QString &name, const QByteArray &data) {
            event(PlatformEvent::fromStream(id, name, data));
        },
        wanted);
}

QString ConnectorPlatform::unreachableReason()
{
    QString serverHost;
    {
        QMutexLocker locker(&m_serverMutex);
        serverHost = m_serverHost;
    }
    // The connector keeps its reasons to itself; whether anything listens where it goes tells
    // the user what matters: the platform is down, or up but not answering.
    const QUrl url(serverHost.contains(QLatin1String("://"))
                       ? serverHost
                       : QStringLiteral("https://") + serverHost);
    if (url.host().isEmpty())
        return tr("no platform server is set");
    QTcpSocket socket;
    socket.connectToHost(url.host(), quint16(url.port(url.scheme() == QLatin1String("http") ? 80
                                                                                          : 443)));
    if (!socket.waitForConnected(kProbeMs))
        return socket.error() == QAbstractSocket::SocketTimeoutError
            ? tr("%1 does not answer").arg(url.host())
            : socket.errorString();
    return QString();
}

QStringList ConnectorPlatform::autonames(int count)
{
    const std::unique_ptr<FzFileInfo> request = makeAutonameRequest(count);
    return textsOf(m_connector->GetAutoname_Block(request.get()));
}
