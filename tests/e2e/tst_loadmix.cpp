// Many connector clients at once against one platform on loopback, each signed in as its own
// user, mixing search, lock/unlock with a new version, and check-ins of new files.
// Afterwards every object checked in is there with its bytes, every drawing carries the last
// version its lock holder sent, and no lock was ever granted to two users at once.
// AUREX_LOAD_CLIENTS and AUREX_LOAD_SECONDS make the run larger (default 10 clients, 10 s).

#include "../fzconnector/connectortestsupport.h"
#include "connectorclient.h"
#include "fzfileinfo.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

#include <atomic>
#include <map>
#include <memory>
#include <random>
#include <thread>

using connectortest::record;
using connectortest::valueOf;

namespace {

const char kSpace[] = "Load Space";
const int kSharedDrawings = 6;

enum Operation { Search, LockAndVersion, CheckInNew, OperationCount };
const char *const kOperationNames[] = {"search", "lock+version+unlock", "check-in"};

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

QString userName(int index) { return QStringLiteral("load%1").arg(index, 2, 10, QLatin1Char('0')); }
QString passwordOf(int index) { return QStringLiteral("pw-%1-load-test").arg(index); }

// The reason of the last connector failure on this thread, from the connector's debug output.
thread_local QString t_lastFailure;
QtMessageHandler g_previousHandler = nullptr;

void keepConnectorFailures(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (context.category && qstrcmp(context.category, "fzconnector") == 0) {
        t_lastFailure = text;
        return;
    }
    g_previousHandler(type, context, text);
}

// Writes bytes to folder/title and returns a check-in record of it under name, which keeps the
// lock after the check-in when keepLock.
std::unique_ptr<FzFileInfo> fileRecord(const QString &folder, const QString &title,
                                       const QString &name, const QByteArray &bytes, bool keepLock)
{
    const QString path = folder + QLatin1Char('/') + title;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return nullptr;
    auto out = std::make_unique<FzFileInfo>();
    out->SetPath(path.toStdString());
    out->SetTitle(title.toStdString());
    out->SetName(name.toStdString());
    out->SetProperty("collabspace", kSpace);
    out->SetProperty("selected", "true");
    out->SetProperty("maintainlock", keepLock ? "true" : "false");
    return out;
}

// What all clients share: who holds which drawing's lock (as the clients saw the platform
// grant it), the last version each holder stored, the new files stored, and the failures.
struct Shared {
    QMutex mutex;
    std::map<QString, QString> holders;      // drawing title -> user
    std::map<QString, QString> lastVersion;  // drawing title -> SHA-256
    std::map<QString, QString> checkedIn;    // new title -> SHA-256
    QStringList errors;
    int doubleGrants = 0;
    std::atomic<int> calls[OperationCount] = {};

    void error(const QString &text)
    {
        QMutexLocker locker(&mutex);
        errors << text;
    }
};

class LoadClient
{
public:
    LoadClient(int index, const PlatformProcess &platform, Shared &shared,
               const QStringList &drawings)
        : m_index(index), m_user(userName(index)), m_platform(platform), m_shared(shared),
          m_drawings(drawings), m_random(static_cast<unsigned>(index) * 7919u + 1u)
    {
    }

    void run(const QDeadlineTimer &deadline)
    {
        if (!m_folder.isValid()
            || !m_client.signInWithPassword(m_user, passwordOf(m_index), m_platform.serverHost(),
                                            m_platform.casUrl())) {
            m_shared.error(m_user + QStringLiteral(" could not sign in: ") + t_lastFailure);
            return;
        }
        std::uniform_int_distribution<int> pick(0, 9);
        while (!deadline.hasExpired()) {
            const int roll = pick(m_random);
            const Operation operation =
                roll < 5 ? Search : roll < 9 ? LockAndVersion : CheckInNew;
            const QString failure = operation == Search ? search(drawing())
                : operation == LockAndVersion           ? lockAndVersion()
                                                        : checkInNew();
            ++m_shared.calls[operation];
            if (!failure.isEmpty())
                m_shared.error(QStringLiteral("%1 %2: %3").arg(
                    m_user, QLatin1String(kOperationNames[operation]), failure));
        }
    }

private:
    QString drawing()
    {
        std::uniform_int_distribution<int> pick(0, m_drawings.size() - 1);
        return m_drawings.at(pick(m_random));
    }

    // Each operation returns "" when it did what it should, and the reason otherwise.
    QString search(const QString &title)
    {
        const auto query = record({{"_TypePattern", "*"}, {"_CS", kSpace}, {"_or_title_0", title}});
        if (!m_client.search(query.get()))
            return t_lastFailure;
        if (m_client.searchCount() != 1
            || QString::fromStdString(m_client.searchRecord(0)->GetTitle()) != title)
            return QStringLiteral("searching %1 found %2 objects").arg(title).arg(
                m_client.searchCount());
        m_found[title] = std::make_unique<FzFileInfo>(*m_client.searchRecord(0));
        return QString();
    }

    QString lockAndVersion()
    {
        const QString title = drawing();
        if (!m_found.count(title)) {
            const QString failure = search(title);
            if (!failure.isEmpty())
                return failure;
        }
        FzFileInfo target(*m_found.at(title));
        t_lastFailure.clear();
        if (!m_client.lock(&target, true)) {
            // Refused because another user holds it: expected under contention.
            return t_lastFailure.contains(QLatin1String("answered 409")) ? QString()
                                                                         : t_lastFailure;
        }
        {
            QMutexLocker locker(&m_shared.mutex);
            QString &holder = m_shared.holders[title];
            if (!holder.isEmpty())
                ++m_shared.doubleGrants;
            holder = m_user;
        }
        if (valueOf(&target, "_LockedBy") != m_user)
            return QStringLiteral("the lock answer names %1").arg(valueOf(&target, "_LockedBy"));
        const QByteArray bytes = QStringLiteral("%1 version by %2 #%3\n")
                                     .arg(title, m_user).arg(++m_versions).toUtf8();
        auto version = fileRecord(m_folder.path(), title,
                                  QString::fromStdString(target.GetName()), bytes, true);
        QString failure;
        if (!version || !m_client.checkIn(version.get()))
            failure = QStringLiteral("new version refused: ") + t_lastFailure;
        {
            // Released in the record before the platform releases it, so that a client
            // granted it next never finds it still held here.
            QMutexLocker locker(&m_shared.mutex);
            if (failure.isEmpty())
                m_shared.lastVersion[title] = PlatformClient::sha256(bytes);
            if (m_shared.holders[title] == m_user)
                m_shared.holders[title].clear();
        }
        if (!m_client.lock(&target, false))
            failure += QStringLiteral(" unlock failed: ") + t_lastFailure;
        return failure;
    }

    QString checkInNew()
    {
        const auto request = record({{"_count", "1"}});
        const std::vector<std::string> names = m_client.autonames(request.get());
        if (names.size() != 1)
            return QStringLiteral("no automatic name: ") + t_lastFailure;
        const QString title = QStringLiteral("%1-%2.dxf").arg(m_user).arg(++m_files, 5, 10,
                                                                           QLatin1Char('0'));
        const QByteArray bytes = QByteArray(512 + m_index * 37, 'x') + title.toUtf8();
        auto file = fileRecord(m_folder.path(), title, QString::fromStdString(names.front()),
                               bytes, false);
        if (!file || !m_client.checkIn(file.get()))
            return t_lastFailure;
        QMutexLocker locker(&m_shared.mutex);
        m_shared.checkedIn[title] = PlatformClient::sha256(bytes);
        return QString();
    }

    const int m_index;
    const QString m_user;
    const PlatformProcess &m_platform;
    Shared &m_shared;
    const QStringList m_drawings;
    std::mt19937 m_random;
    ConnectorClient m_client;
    QTemporaryDir m_folder;
    std::map<QString, std::unique_ptr<FzFileInfo>> m_found;
    int m_versions = 0;
    int m_files = 0;
};

} // namespace

class TestLoadMix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mixedLoadKeepsEveryObjectAndLock();

private:
    PlatformProcess m_platform;
    int m_clients = 0;
    QStringList m_drawings;
};

void TestLoadMix::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("fzconnector.debug=true"));
    g_previousHandler = qInstallMessageHandler(keepConnectorFailures);
    m_clients = envNumber("AUREX_LOAD_CLIENTS", 10);
    QString error;
    QVERIFY2(m_platform.start(&error), qPrintable(error));
    QStringList users;
    for (int i = 0; i < m_clients; ++i) {
        QVERIFY(m_platform.addUser(userName(i), passwordOf(i)));
        users << userName(i);
    }
    QVERIFY(m_platform.addSpace(QLatin1String(kSpace), users));

    // The drawings everyone competes for, checked in by the first user.
    ConnectorClient first;
    QVERIFY(first.signInWithPassword(userName(0), passwordOf(0), m_platform.serverHost(),
                                     m_platform.casUrl()));
    const auto request = record({{"_count", QString::number(kSharedDrawings)}});
    const std::vector<std::string> names = first.autonames(request.get());
    QCOMPARE(static_cast<int>(names.size()), kSharedDrawings);
    QTemporaryDir folder;
    for (int i = 0; i < kSharedDrawings; ++i) {
        const QString title = QStringLiteral("shared-%1.dxf").arg(i);
        auto drawing = fileRecord(folder.path(), title, QString::fromStdString(names[i]),
                                  title.toUtf8() + " first version\n", false);
        QVERIFY(drawing);
        QVERIFY2(first.checkIn(drawing.get()), qPrintable(t_lastFailure));
        m_drawings << title;
    }
}

void TestLoadMix::mixedLoadKeepsEveryObjectAndLock()
{
    const int seconds = envNumber("AUREX_LOAD_SECONDS", 10);
    Shared shared;
    const QDeadlineTimer deadline(seconds * 1000);
    std::vector<std::thread> threads;
    for (int i = 0; i < m_clients; ++i)
        threads.emplace_back(
            [&, i] { LoadClient(i, m_platform, shared, m_drawings).run(deadline); });
    for (std::thread &thread : threads)
        thread.join();

    QVERIFY2(shared.errors.isEmpty(),
             qPrintable(QStringLiteral("%1 failures, the first: %2")
                            .arg(shared.errors.size())
                            .arg(shared.errors.value(0))));
    QCOMPARE(shared.doubleGrants, 0);

    // Every kind of operation ran.
    for (int i = 0; i < OperationCount; ++i)
        QVERIFY2(shared.calls[i] > 0, kOperationNames[i]);

    // Nothing lost: the space holds exactly the drawings and every new file, with their bytes.
    ConnectorClient checker;
    QVERIFY(checker.signInWithPassword(userName(0), passwordOf(0), m_platform.serverHost(),
                                       m_platform.casUrl()));
    const auto query = record({{"_TypePattern", "*"}, {"_CS", kSpace}, {"_Pagelimit", "10000"}});
    QVERIFY(checker.search(query.get()));
    std::map<QString, const FzFileInfo *> contents;
    for (int i = 0; i < checker.searchCount(); ++i)
        contents[QString::fromStdString(checker.searchRecord(i)->GetTitle())] =
            checker.searchRecord(i);
    QCOMPARE(contents.size(), shared.checkedIn.size() + m_drawings.size());
    for (const auto &file : shared.checkedIn) {
        const auto it = contents.find(file.first);
        QVERIFY2(it != contents.end(), qPrintable(file.first));
        QCOMPARE(valueOf(it->second, "_sha256"), file.second);
    }
    for (const QString &title : m_drawings) {
        const FzFileInfo &drawing = *contents.at(title);
        QCOMPARE(valueOf(&drawing, "_LockedBy"), QString());
        if (shared.lastVersion.count(title))
            QCOMPARE(valueOf(&drawing, "_sha256"), shared.lastVersion.at(title));
    }
}

QTEST_GUILESS_MAIN(TestLoadMix)
#include "tst_loadmix.moc"
