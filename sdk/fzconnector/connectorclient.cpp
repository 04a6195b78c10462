#include "connectorclient.h"

#include "chunkedupload.h"
#include "eventstreamparser.h"
#include "filechunks.h"
#include "fzfileinfo.h"
#include "transferobserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <functional>
#include <thread>

Q_LOGGING_CATEGORY(lcConnector, "fzconnector")

namespace {

const char kLocalFolderKey[] = "_LOCALDOWNLOADFOLDER";
const char kLocalStampKey[] = "_LOCALTIMESTAMP";
// A file whose chunks a download may reuse, other than the one it replaces.
const char kLocalBasisKey[] = "_LOCALBASIS";
const char kModifiedKey[] = "_filemodified";
// Connections that download a list of files at once.
const size_t kParallelTransfers = 4;
// A content at least this large goes to the platform as chunks of its own before the check-in
// names it: only the chunks the platform lacks travel, and a dropped connection costs only the
// chunk under way.
const qint64 kChunkedUploadBytes = 1 << 20;

// What identifies the version of an object's content.
QString versionOf(const QJsonObject &object)
{
    return object.value(QStringLiteral("_sha256")).toString();
}

QString prop(const FzFileInfo *record, const char *key)
{
    return QString::fromStdString(record->GetProperty(key));
}

// A record's properties as the platform reads a reference to an object, plus its fixed name
// and title where the properties leave them out.
QJsonObject refOf(const FzFileInfo *record)
{
    QJsonObject ref;
    for (const auto &entry : record->GetProperties())
        ref.insert(QString::fromStdString(entry.first), QString::fromStdString(entry.second));
    if (prop(record, "name").isEmpty() && !record->GetName().empty())
        ref.insert(QStringLiteral("name"), QString::fromStdString(record->GetName()));
    if (prop(record, "title").isEmpty() && !record->GetTitle().empty())
        ref.insert(QStringLiteral("title"), QString::fromStdString(record->GetTitle()));
    return ref;
}

// The properties the platform sent; a name or title it left out stays as it was.
void apply(FzFileInfo *record, const QJsonObject &object)
{
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        record->SetProperty(it.key().toStdString(), it.value().toString().toStdString());
    if (object.contains(QStringLiteral("name")))
        record->SetName(object.value(QStringLiteral("name")).toString().toStdString());
    if (object.contains(QStringLiteral("title")))
        record->SetTitle(object.value(QStringLiteral("title")).toString().toStdString());
}

QString titleOf(const FzFileInfo *record)
{
    const QString title = prop(record, "title");
    return title.isEmpty() ? QString::fromStdString(record->GetTitle()) : title;
}

// Check-in records name their file by path, with the separators of whoever built them.
QString localPath(const FzFileInfo *record)
{
    return QString::fromStdString(record->GetPath()).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

ConnectorClient::ConnectorClient() = default;
ConnectorClient::~ConnectorClient() = default;

void ConnectorClient::setProxy(const QString &host, int port, const QString &user,
                               const QString &password)
{
    QMutexLocker locker(&m_mutex);
    m_endpoint.proxyHost = host;
    m_endpoint.proxyPort = port;
    m_endpoint.proxyUser = user;
    m_endpoint.proxyPassword = password;
}

void ConnectorClient::setServer(const QString &serverHost)
{
    QMutexLocker locker(&m_mutex);
    if (serverHost != m_endpoint.serverHost)
        m_endpoint.token.clear();
    m_endpoint.serverHost = serverHost;
}

void ConnectorClient::setTenant(const QString &tenant)
{
    QMutexLocker locker(&m_mutex);
    m_tenant = tenant;
}

void ConnectorClient::setPreferredContext(bool use)
{
    QMutexLocker locker(&m_mutex);
    m_preferredContext = use;
}

void ConnectorClient::setWorkingDirectory(const QString &folder)
{
    QMutexLocker locker(&m_mutex);
    m_workingDirectory = folder;
}

PlatformEndpoint ConnectorClient::endpoint()
{
    QMutexLocker locker(&m_mutex);
    return m_endpoint;
}

QString ConnectorClient::workingDirectory()
{
    QMutexLocker locker(&m_mutex);
    return m_workingDirectory;
}

void ConnectorClient::setSessionEndedHandler(std::function<void()> handler)
{
    QMutexLocker locker(&m_mutex);
    m_sessionEnded = std::move(handler);
}

void ConnectorClient::failed(const char *operation, const QString &reason,
                             const PlatformConnection &link)
{
    qCDebug(lcConnector).noquote() << operation << "failed:" << reason;
    if (!link.signedOut() || link.token().isEmpty())
        return;
    std::function<void()> sessionEnded;
    {
        QMutexLocker locker(&m_mutex);
        // Only the session the refused call carried ends: a sign-in made meanwhile stays.
        if (m_endpoint.token != link.token())
            return;
        m_endpoint.token.clear();
        sessionEnded = m_sessionEnded;
    }
    if (sessionEnded)
        sessionEnded();
}

bool ConnectorClient::call(const char *operation, const QString &path, const QJsonObject &body,
                           QJsonObject *answer)
{
    const PlatformEndpoint where = endpoint();
    if (where.token.isEmpty()) {
        qCDebug(lcConnector) << operation << "failed: not signed in";
        return false;
    }
    PlatformConnection link(where);
    QString error;
    const bool ok = body.isEmpty() ? link.getJson(path, answer, &error)
                                   : link.postJson(path, body, answer, &error);
    if (!ok)
        failed(operation, error, link);
    return ok;
}


void ConnectorClient::replace(SharedList &list, RecordList fresh)
{
    RecordList expired; // freed after the lock is released
    QMutexLocker locker(&m_mutex);
    list.retired.push_back(std::move(list.current));
    list.current = std::move(fresh);
    if (list.retired.size() > kRetiredGenerations) {
        expired = std::move(list.retired.front());
        list.retired.pop_front();
    }
}

ConnectorClient::RecordList ConnectorClient::recordsFrom(const QJsonArray &objects)
{
    RecordList records;
    records.reserve(static_cast<size_t>(objects.size()));
    for (const QJsonValue &object : objects) {
        auto record = std::make_unique<FzFileInfo>();
        apply(record.get(), object.toObject());
        records.push_back(std::move(record));
    }
    return records;
}

QJsonArray ConnectorClient::refsOf(const std::vector<FzFileInfo *> &records)
{
    QJsonArray refs;
    for (const FzFileInfo *record : records)
        refs.append(record ? refOf(record) : QJsonObject());
    return refs;
}

bool ConnectorClient::signIn(const char *casPath, QJsonObject body, const QString &serverHost,
                             const QString &casUrl)
{
    setServer(serverHost);
    // Whatever happens next, the session of an earlier sign-in ends here.
    {
        QMutexLocker locker(&m_mutex);
        m_endpoint.token.clear();
    }
    const PlatformEndpoint where = endpoint();
    const QString cas = PlatformConnection::resolveCasUrl(serverHost, casUrl);
    if (cas.isEmpty() || PlatformConnection::serverOrigin(serverHost).isEmpty()) {
        qCDebug(lcConnector) << "sign-in failed: no server or sign-in address";
        return false;
    }
    {
        QMutexLocker locker(&m_mutex);
        body.insert(QStringLiteral("tenant"), m_tenant);
        body.insert(QStringLiteral("preferredContext"), m_preferredContext);
    }
    PlatformConnection link(where);
    link.addSecret(body.value(QStringLiteral("password")).toString());
    link.addSecret(body.value(QStringLiteral("cookie")).toString());
    QJsonObject answer;
    QString error;
    QString url = cas;
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    if (!link.postJson(url + QLatin1String(casPath), body, &answer, &error)) {
        qCDebug(lcConnector).noquote() << "sign-in failed:" << error;
        return false;
    }
    const QString token = answer.value(QStringLiteral("token")).toString();
    if (token.isEmpty())
        return false;
    QMutexLocker locker(&m_mutex);
    m_endpoint.token = token;
    return true;
}

bool ConnectorClient::signInWithCookie(const QString &cookie, const QString &space,
                                       const QString &serverHost, const QString &casUrl)
{
    return signIn("/v1/cookie",
                  QJsonObject{{QStringLiteral("cookie"), cookie}, {QStringLiteral("space"), space}},
                  serverHost, casUrl);
}

bool ConnectorClient::signInWithPassword(const QString &user, const QString &password,
                                         const QString &serverHost, const QString &casUrl)
{
    return signIn("/v1/login",
                  QJsonObject{{QStringLiteral("username"), user},
                              {QStringLiteral("password"), password}},
                  serverHost, casUrl);
}

bool ConnectorClient::userInfo(QString *firstName, QString *lastName, QString *email,
                               QString *userId)
{
    QJsonObject answer;
    if (!call("user information", QStringLiteral("/me"), QJsonObject(), &answer))
        return false;
    if (firstName)
        *firstName = answer.value(QStringLiteral("firstName")).toString();
    if (lastName)
        *lastName = answer.value(QStringLiteral("lastName")).toString();
    if (email)
        *email = answer.value(QStringLiteral("email")).toString();
    if (userId)
        *userId = answer.value(QStringLiteral("login")).toString();
    return true;
}

std::vector<std::string> ConnectorClient::spaces(bool writableOnly)
{
    QJsonObject answer;
    std::vector<std::string> names;
    if (!call("list of spaces", QStringLiteral("/spaces"), QJsonObject(), &answer))
        return names;
    // A platform without roles names none: every space is writable there.
    const QJsonObject roles = answer.value(QStringLiteral("roles")).toObject();
    for (const QJsonValue &name : answer.value(QStringLiteral("spaces")).toArray()) {
        if (writableOnly && roles.value(name.toString()).toString() == QLatin1String("reader"))
            continue;
        names.push_back(name.toString().toStdString());
    }
    return names;
}

bool ConnectorClient::search(FzFileInfo *query)
{
    QJsonObject body{{QStringLiteral("all"), true}};
    if (query)
        body = QJsonObject{{QStringLiteral("query"), refOf(query)}};
    QJsonObject answer;
    const bool ok = call("search", QStringLiteral("/search"), body, &answer);
    RecordList found = recordsFrom(answer.value(QStringLiteral("objects")).toArray());
    // The previews are asked for with what this search found, before the list is shared.
    QJsonArray previewRefs;
    QStringList previewTitles;
    const bool previews = ok && query && prop(query, "_DOWNLOADPREVIEWS") == QLatin1String("true");
    if (previews) {
        for (const auto &record : found) {
            previewRefs.append(refOf(record.get()));
            previewTitles.append(titleOf(record.get()));
        }
    }
    replace(m_searchList, std::move(found));
    if (previews)
        fetchPreviews(previewRefs, previewTitles);
    return ok;
}

int ConnectorClient::searchCount()
{
    QMutexLocker locker(&m_mutex);
    return static_cast<int>(m_searchList.current.size());
}

FzFileInfo *ConnectorClient::searchRecord(int index)
{
    QMutexLocker locker(&m_mutex);
    const RecordList &list = m_searchList.current;
    return index >= 0 && index < static_cast<int>(list.size())
        ? list[static_cast<size_t>(index)].get()
        : nullptr;
}

int ConnectorClient::transactionCount()
{
    QMutexLocker locker(&m_mutex);
    return static_cast<int>(m_transactionList.current.size());
}

FzFileInfo *ConnectorClient::transactionRecord(int index)
{
    QMutexLocker locker(&m_mutex);
    const RecordList &list = m_transactionList.current;
    return index >= 0 && index < static_cast<int>(list.size())
        ? list[static_cast<size_t>(index)].get()
        : nullptr;
}

bool ConnectorClient::details(const std::vector<FzFileInfo *> &records)
{
    QJsonObject answer;
    const bool ok = call("details", QStringLiteral("/details"),
                         QJsonObject{{QStringLiteral("refs"), refsOf(records)}}, &answer);
    const QJsonArray results = answer.value(QStringLiteral("results")).toArray();
    QJsonArray found;
    bool all = ok && results.size() == static_cast<int>(records.size());
    for (int i = 0; i < results.size() && i < static_cast<int>(records.size()); ++i) {
        if (!results.at(i).isObject()) {
            all = false;
            continue;
        }
        if (records[static_cast<size_t>(i)])
            apply(records[static_cast<size_t>(i)], results.at(i).toObject());
        found.append(results.at(i));
    }
    replace(m_transactionList, recordsFrom(found));
    if (ok && !all)
        qCDebug(lcConnector) << "details: some records are not on the platform";
    return all;
}

bool ConnectorClient::structure(FzFileInfo *record)
{
    if (!record)
        return false;
    QJsonObject answer;
    const bool ok = call("structure", QStringLiteral("/structure"),
                         QJsonObject{{QStringLiteral("ref"), refOf(record)}}, &answer);
    replace(m_transactionList, recordsFrom(answer.value(QStringLiteral("objects")).toArray()));
    return ok;
}

bool ConnectorClient::downloadPreviews(const std::vector<FzFileInfo *> &records)
{
    QStringList titles;
    for (const FzFileInfo *record : records)
        titles.append(record ? titleOf(record) : QString());
    return fetchPreviews(refsOf(records), titles);
}

bool ConnectorClient::fetchPreviews(const QJsonArray &refs, const QStringList &titles)
{
    const QString folder = workingDirectory();
    QJsonObject answer;
    if (!call("preview download", QStringLiteral("/previews"),
              QJsonObject{{QStringLiteral("refs"), refs}}, &answer))
        return false;
    const QJsonArray results = answer.value(QStringLiteral("results")).toArray();
    PlatformConnection link(endpoint());
    bool ok = true;
    for (int i = 0; i < results.size() && i < titles.size(); ++i) {
        const QJsonObject preview = results.at(i).toObject();
        if (preview.isEmpty())
            continue;
        const QString title = titles.at(i).isEmpty()
            ? preview.value(QStringLiteral("title")).toString()
            : titles.at(i);
        const QString fileName = QFileInfo(title).baseName() + QStringLiteral(".jpg");
        QString stamp;
        QString error;
        if (!link.download(preview.value(QStringLiteral("phid")).toString(),
                           versionOf(preview), folder, fileName, &stamp, &error)) {
            failed("preview download", error, link);
            ok = false;
        }
    }
    return ok;
}

QString ConnectorClient::downloadObject(const QString &objectId)
{
    static const QRegularExpression idPattern(QStringLiteral("^[0-9A-Fa-f]{32}$"));
    if (!idPattern.match(objectId).hasMatch()) {
        qCDebug(lcConnector) << "download failed: not a platform object id";
        return QString();
    }
    QJsonObject object;
    if (!call("download", QStringLiteral("/objects/") + objectId.toUpper(), QJsonObject(),
              &object))
        return QString();
    const QString title = object.value(QStringLiteral("title")).toString();
    PlatformConnection link(endpoint());
    link.setObserver(TransferObserver::ofThisThread());
    QString stamp;
    QString error;
    if (!link.download(object.value(QStringLiteral("phid")).toString(), versionOf(object),
                       workingDirectory(), title, &stamp, &error)) {
        failed("download", error, link);
        return QString();
    }
    return QLatin1Char('/') + title;
}

std::vector<std::string> ConnectorClient::downloadRecords(const std::vector<FzFileInfo *> &records)
{
    QJsonObject answer;
    if (!call("download", QStringLiteral("/details"),
              QJsonObject{{QStringLiteral("refs"), refsOf(records)}}, &answer))
        return {"the platform could not be asked for the files"};
    const QJsonArray results = answer.value(QStringLiteral("results")).toArray();
    const QString workingFolder = workingDirectory();
    std::vector<std::string> failureOf(records.size());
    std::vector<Transfer> transfers;
    for (size_t i = 0; i < records.size(); ++i) {
        FzFileInfo *record = records[i];
        if (!record)
            continue;
        const QJsonObject object = static_cast<int>(i) < results.size()
            ? results.at(static_cast<int>(i)).toObject()
            : QJsonObject();
        if (object.isEmpty()) {
            failureOf[i] = titleOf(record).toStdString() + ": not found on the platform";
            continue;
        }
        QString folder = prop(record, kLocalFolderKey);
        if (folder.isEmpty())
            folder = workingFolder;
        const QString title = object.value(QStringLiteral("title")).toString();
        // The platform's title becomes a local file name: one that would leave the folder is
        // refused before any path is built from it, whether or not a transfer follows.
        if (!PlatformConnection::isSafeFileName(title)) {
            failureOf[i] = title.toStdString() + ": not a file name that stays in its folder";
            continue;
        }
        Transfer transfer;
        transfer.index = i;
        transfer.phid = object.value(QStringLiteral("phid")).toString();
        transfer.folder = folder;
        transfer.title = title;
        transfer.basis = prop(record, kLocalBasisKey);
        transfer.stamp = object.value(QLatin1String(kModifiedKey)).toString();
        transfer.object = object;
        // A local copy of exactly this version is current: it is not transferred again.
        transfer.done = !transfer.stamp.isEmpty()
            && prop(record, kLocalStampKey) == transfer.stamp
            && QFileInfo::exists(QDir(folder).filePath(title));
        transfers.push_back(transfer);
    }
    transferAll(&transfers);
    for (const Transfer &transfer : transfers) {
        FzFileInfo *record = records[transfer.index];
        if (!transfer.done) {
            failureOf[transfer.index] = transfer.title.toStdString() + ": "
                + transfer.error.toStdString();
            continue;
        }
        apply(record, transfer.object);
        record->SetProperty(kModifiedKey, transfer.stamp.toStdString());
        record->SetProperty("filename", transfer.title.toStdString());
    }
    std::vector<std::string> failures;
    for (std::string &failure : failureOf) {
        if (!failure.empty())
            failures.push_back(std::move(failure));
    }
    return failures;
}

void ConnectorClient::transferAll(std::vector<Transfer> *transfers)
{
    // Several connections at once, so that the platform prepares one file while another
    // travels and many small files do not each wait a full round trip.
    const PlatformEndpoint where = endpoint();
    const size_t pending = static_cast<size_t>(
        std::count_if(transfers->begin(), transfers->end(),
                      [](const Transfer &transfer) { return !transfer.done; }));
    const size_t connections = std::min(pending, kParallelTransfers);
    std::vector<std::unique_ptr<PlatformConnection>> links;
    for (size_t i = 0; i < connections; ++i) {
        links.push_back(std::make_unique<PlatformConnection>(where));
        links.back()->setObserver(TransferObserver::ofThisThread());
    }
    std::atomic<size_t> next{0};
    auto work = [&](size_t link) {
        for (size_t i = next++; i < transfers->size(); i = next++) {
            Transfer &transfer = (*transfers)[i];
            if (transfer.done)
                continue;
            transfer.link = link;
            transfer.done = links[link]->download(transfer.phid, versionOf(transfer.object),
                                                  transfer.folder, transfer.title,
                                                  &transfer.stamp, &transfer.error, 0,
                                                  transfer.basis);
        }
    };
    std::vector<std::thread> threads;
    for (size_t i = 1; i < connections; ++i)
        threads.emplace_back(work, i);
    if (connections > 0)
        work(0);
    for (std::thread &thread : threads)
        thread.join();
    // Reported from the calling thread, in the records' order.
    for (const Transfer &transfer : *transfers) {
        if (!transfer.done)
            failed("download", transfer.error, *links[transfer.link]);
    }
}

bool ConnectorClient::checkIn(FzFileInfo *root, const QString &comment)
{
    if (!root)
        return false;
    const PlatformEndpoint where = endpoint();
    if (where.token.isEmpty()) {
        qCDebug(lcConnector) << "check-in failed: not signed in";
        return false;
    }
    PlatformConnection link(where);
    link.setObserver(TransferObserver::ofThisThread());
    // The tree is walked from the top through the child links that SetParent made, parents
    // before their children.
    // Small file contents travel in one upload part, each distinct content once; the manifest
    // says where each record's bytes lie in it. A large one goes ahead as an upload of its own
    // that the manifest names. The files are hashed here and read again as they are sent, so
    // that no file is held in memory whatever its size.
    QJsonArray manifest;
    std::vector<UploadFile> contents;
    qint64 contentsSize = 0;
    QHash<QByteArray, QJsonObject> placeOf; // SHA-256 -> where the bytes lie
    QString error;
    std::function<bool(FzFileInfo *, int)> walk = [&](FzFileInfo *record, int parent) {
        QJsonObject entry = refOf(record);
        entry.insert(QStringLiteral("parent"), parent);
        if (!record->GetName().empty())
            entry.insert(QStringLiteral("name"), QString::fromStdString(record->GetName()));
        QString title = QString::fromStdString(record->GetTitle());
        if (title.isEmpty())
            title = QFileInfo(localPath(record)).fileName();
        entry.insert(QStringLiteral("title"), title);
        if (prop(record, "selected") != QLatin1String("false")) {
            const QString path = localPath(record);
            QByteArray sha256;
            qint64 size = 0;
            FileChunks chunks;
            const bool chunked = QFileInfo(path).size() >= kChunkedUploadBytes;
            if (chunked ? !chunks.read(path, &error)
                        : !PlatformConnection::hashFile(path, &sha256, &size, &error))
                return false;
            if (chunked) {
                sha256 = chunks.sha256();
                size = chunks.size();
            }
            if (!placeOf.contains(sha256)) {
                QJsonObject place{{QStringLiteral("size"), static_cast<double>(size)},
                                  {QStringLiteral("sha256"), QString::fromLatin1(sha256)}};
                QString upload;
                if (!chunked) {
                    place.insert(QStringLiteral("offset"), static_cast<double>(contentsSize));
                    contents.push_back({path, size});
                    contentsSize += size;
                } else if (ChunkedUpload(link).send(chunks, &upload, &error)) {
                    place.insert(QStringLiteral("upload"), upload);
                } else {
                    return false;
                }
                placeOf.insert(sha256, place);
            }
            const QJsonObject place = placeOf.value(sha256);
            for (auto it = place.begin(); it != place.end(); ++it)
                entry.insert(it.key(), it.value());
        }
        const int index = manifest.size();
        manifest.append(entry);
        for (FzFileInfo *child : record->GetChildren()) {
            if (!walk(child, index))
                return false;
        }
        return true;
    };
    if (!walk(root, -1)) {
        failed("check-in", error, link);
        return false;
    }
    QJsonObject body{{QStringLiteral("records"), manifest}};
    if (!comment.isEmpty())
        body.insert(QStringLiteral("comment"), comment);
    // The client's key of this save: sent again, it is stored once.
    const QString key = prop(root, "_CheckInKey");
    if (!key.isEmpty())
        body.insert(QStringLiteral("key"), key);
    const std::vector<UploadPart> parts{
        {"manifest", QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), {}},
        {"contents", std::string(), std::move(contents)}};
    QJsonObject answer;
    if (!link.postParts(QStringLiteral("/checkin"), parts, &answer, &error)) {
        failed("check-in", error, link);
        return false;
    }
    replace(m_transactionList, recordsFrom(answer.value(QStringLiteral("objects")).toArray()));
    return true;
}

QString ConnectorClient::objectPath(const char *operation, FzFileInfo *record)
{
    static const QRegularExpression idPattern(QStringLiteral("^[0-9A-F]{32}$"));
    if (!record)
        return QString();
    QString phid = prop(record, "phid");
    if (!idPattern.match(phid).hasMatch()) {
        QJsonObject answer;
        if (!call(operation, QStringLiteral("/details"),
                  QJsonObject{{QStringLiteral("refs"), QJsonArray{refOf(record)}}}, &answer))
            return QString();
        phid = answer.value(QStringLiteral("results")).toArray().at(0)[QStringLiteral("phid")]
                   .toString();
    }
    if (!idPattern.match(phid).hasMatch()) {
        qCDebug(lcConnector) << operation << "failed: not on the platform";
        return QString();
    }
    return QStringLiteral("/objects/") + phid;
}

bool ConnectorClient::versions(FzFileInfo *record)
{
    const QString object = objectPath("versions", record);
    QJsonObject answer;
    if (object.isEmpty()
        || !call("versions", object + QStringLiteral("/versions"), QJsonObject(), &answer))
        return false;
    // Each version is the object's record with what sets the version apart.
    const QJsonArray versions = answer.value(QStringLiteral("versions")).toArray();
    FzFileInfo current;
    apply(&current, answer.value(QStringLiteral("object")).toObject());
    RecordList records;
    records.reserve(static_cast<size_t>(versions.size()));
    for (const QJsonValue &version : versions) {
        records.push_back(std::make_unique<FzFileInfo>(current));
        apply(records.back().get(), version.toObject());
    }
    replace(m_transactionList, std::move(records));
    return true;
}

bool ConnectorClient::whereUsed(FzFileInfo *record, std::vector<FzFileInfo> *drawings,
                                int *hidden)
{
    drawings->clear();
    *hidden = 0;
    const QString object = objectPath("where used", record);
    QJsonObject answer;
    if (object.isEmpty()
        || !call("where used", object + QStringLiteral("/whereused"), QJsonObject(), &answer))
        return false;
    const QJsonArray found = answer.value(QStringLiteral("drawings")).toArray();
    drawings->resize(static_cast<size_t>(found.size()));
    for (int i = 0; i < found.size(); ++i)
        apply(&drawings->at(static_cast<size_t>(i)), found.at(i).toObject());
    *hidden = answer.value(QStringLiteral("hidden")).toInt();
    return true;
}

bool ConnectorClient::titleBlockMapping(std::map<std::string, std::vector<std::string>> *mapping)
{
    mapping->clear();
    QJsonObject answer;
    if (!call("title block mapping", QStringLiteral("/titleblock"), QJsonObject(), &answer))
        return false;
    const QJsonObject properties = answer.value(QStringLiteral("mapping")).toObject();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        std::vector<std::string> &tags = (*mapping)[it.key().toStdString()];
        for (const QJsonValue &tag : it.value().toArray())
            tags.push_back(tag.toString().toStdString());
    }
    return true;
}

bool ConnectorClient::structureAsOf(FzFileInfo *record, int revision)
{
    const QString object = objectPath("structure of a version", record);
    QJsonObject answer;
    if (object.isEmpty()
        || !call("structure of a version",
                 object + QStringLiteral("/versions/%1/structure").arg(revision), QJsonObject(),
                 &answer))
        return false;
    replace(m_transactionList, recordsFrom(answer.value(QStringLiteral("objects")).toArray()));
    return true;
}

QString ConnectorClient::downloadVersion(FzFileInfo *record, int revision, const QString &folder,
                                         const QString &fileName)
{
    const QString object = objectPath("download of a version", record);
    QJsonObject version;
    if (object.isEmpty()
        || !call("download of a version", object + QStringLiteral("/versions/%1").arg(revision),
                 QJsonObject(), &version))
        return QString();
    const QString name =
        fileName.isEmpty() ? version.value(QStringLiteral("title")).toString() : fileName;
    PlatformConnection link(endpoint());
    link.setObserver(TransferObserver::ofThisThread());
    QString stamp;
    QString error;
    if (!link.download(version.value(QStringLiteral("phid")).toString(), versionOf(version),
                       folder, name, &stamp, &error, revision)) {
        failed("download of a version", error, link);
        return QString();
    }
    return QDir(folder).filePath(name);
}

bool ConnectorClient::restore(FzFileInfo *record, int revision, const QString &comment)
{
    const QString object = objectPath("restore", record);
    if (object.isEmpty())
        return false;
    // The version the caller last saw: the platform refuses when someone saved since.
    QString base = prop(record, "_BaseModified");
    if (base.isEmpty())
        base = prop(record, kModifiedKey);
    QJsonObject answer;
    if (!call("restore", object + QStringLiteral("/versions/%1/restore").arg(revision),
              QJsonObject{{QStringLiteral("comment"), comment},
                          {QStringLiteral("_BaseModified"), base}},
              &answer))
        return false;
    apply(record, answer);
    return true;
}

bool ConnectorClient::lock(FzFileInfo *record, bool locked)
{
    if (!record)
        return false;
    QJsonObject answer;
    if (!call(locked ? "lock" : "unlock", locked ? QStringLiteral("/lock") : QStringLiteral("/unlock"),
              QJsonObject{{QStringLiteral("ref"), refOf(record)}}, &answer))
        return false;
    apply(record, answer);
    return true;
}

bool ConnectorClient::remove(const std::vector<FzFileInfo *> &records)
{
    if (records.empty())
        return false;
    QJsonObject answer;
    return call("delete", QStringLiteral("/delete"),
                QJsonObject{{QStringLiteral("refs"), refsOf(records)}}, &answer);
}

std::vector<std::string> ConnectorClient::autonames(FzFileInfo *request)
{
    std::vector<std::string> names;
    bool ok = false;
    const int count = request ? prop(request, "_count").toInt(&ok) : 0;
    if (!ok || count <= 0) {
        qCDebug(lcConnector) << "automatic names: no count asked for";
        return names;
    }
    QJsonObject answer;
    if (!call("automatic names", QStringLiteral("/autonames"),
              QJsonObject{{QStringLiteral("count"), count}}, &answer))
        return names;
    for (const QJsonValue &name : answer.value(QStringLiteral("names")).toArray())
        names.push_back(name.toString().toStdString());
    return names;
}

int ConnectorClient::readEvents(const QString &lastEventId, const EventHandler &event,
                                const std::function<bool()> &wanted)
{
    const PlatformEndpoint where = endpoint();
    if (where.token.isEmpty()) {
        qCDebug(lcConnector) << "events failed: not signed in";
        return 401;
    }
    struct Parsed {
        QString id;
        QString name;
        QByteArray data;
    };
    PlatformConnection link(where);
    std::mutex mutex; // guards ready, done
    std::condition_variable arrived;
    std::deque<Parsed> ready;
    bool done = false;
    int status = 0;
    QString error;
    std::thread reader([&] {
        EventStreamParser parser([&](const QString &id, const QString &name, const QByteArray &data) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                ready.push_back({id, name, data});
            }
            arrived.notify_one();
        });
        status = link.stream(QStringLiteral("/events"), lastEventId,
                             [&parser](const char *data, size_t size) { parser.feed(data, size); },
                             &error);
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        arrived.notify_one();
    });
    for (;;) {
        std::deque<Parsed> events;
        bool finished = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            arrived.wait_for(lock, std::chrono::milliseconds(100),
                             [&] { return done || !ready.empty(); });
            events.swap(ready);
            finished = done;
        }
        for (const Parsed &parsed : events)
            event(parsed.id, parsed.name, parsed.data);
        if (finished)
            break;
        if (!wanted())
            link.stopStream();
    }
    reader.join();
    if (status != 200)
        failed("events", error, link);
    return status;
}
