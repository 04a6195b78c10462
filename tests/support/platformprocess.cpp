#include "platformprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <atomic>
#include <thread>

namespace {

bool failWith(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

const int kStartTimeoutMs = 20000;
const int kCommandTimeoutMs = 60000;

} // namespace

PlatformProcess::PlatformProcess() : PlatformProcess(Options()) {}

PlatformProcess::PlatformProcess(const Options &options) : m_options(options) {}

PlatformProcess::~PlatformProcess() { stop(); }

QString PlatformProcess::binary() { return QStringLiteral(AUREX_PLATFORM_BIN); }

QString PlatformProcess::dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

QStringList PlatformProcess::storageArguments() const
{
    QStringList arguments{QStringLiteral("--data"), dataDir()};
    if (!m_options.databaseUrl.isEmpty())
        arguments << QStringLiteral("--database") << m_options.databaseUrl;
    return arguments;
}

QList<int> PlatformProcess::countsOf(const QStringList &queries) const
{
    return onDatabase(queries, true);
}

bool PlatformProcess::change(const QStringList &statements) const
{
    return !onDatabase(statements, false).contains(-1);
}

QList<int> PlatformProcess::onDatabase(const QStringList &statements, bool readOnly) const
{
    const QString connection = QStringLiteral("inspection");
    QList<int> results;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(dataDir() + QStringLiteral("/platform.sqlite"));
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        const bool open = db.open();
        for (const QString &sql : statements) {
            QSqlQuery query(db);
            const bool done = open && query.exec(sql);
            if (!readOnly)
                results << (done ? query.numRowsAffected() : -1);
            else
                results << (done && query.next() ? query.value(0).toInt() : -1);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return results;
}

PlatformProcess::Result PlatformProcess::run(const QStringList &arguments, const QByteArray &input,
                                             const QProcessEnvironment &environment) const
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(binary(), storageArguments() + arguments);
    Result result;
    if (!process.waitForStarted(kCommandTimeoutMs))
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kCommandTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool PlatformProcess::addUser(const QString &login, const QString &password,
                              const QString &firstName, const QString &lastName) const
{
    return run({QStringLiteral("user"), QStringLiteral("add"), login,
                QStringLiteral("--first-name"), firstName, QStringLiteral("--last-name"),
                lastName, QStringLiteral("--email"), login + QStringLiteral("@example.com")},
               password.toUtf8() + '\n')
               .exitCode
        == 0;
}

bool PlatformProcess::addSpace(const QString &space, const QStringList &members) const
{
    if (run({QStringLiteral("space"), QStringLiteral("add"), space}).exitCode != 0)
        return false;
    for (const QString &member : members) {
        if (run({QStringLiteral("member"), QStringLiteral("add"), space, member}).exitCode != 0)
            return false;
    }
    return true;
}

QString PlatformProcess::issueCookie(const QString &login) const
{
    const Result result = run({QStringLiteral("issue-cookie"), login});
    return result.exitCode == 0 ? QString::fromUtf8(result.out).trimmed() : QString();
}

bool PlatformProcess::writeLauncherFiles(const QString &login,
                                         const QProcessEnvironment &environment,
                                         const QStringList &options) const
{
    return run(QStringList{QStringLiteral("launcher-files"), QStringLiteral("--user"), login,
                           QStringLiteral("--server-url"), serverUrl()}
                   + options,
               QByteArray(), environment)
               .exitCode
        == 0;
}

qint64 PlatformProcess::memoryField(const char *name) const
{
    if (!m_process)
        return 0;
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process->processId()));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(static_cast<int>(qstrlen(name))).trimmed().split(' ').first().toLongLong()
                * 1024;
    }
    return 0;
}

// Anonymous memory only (heap, stacks): the database file that SQLite maps into the process
// shows in VmRSS as it is read, but those pages are the page cache's, not memory the
// platform holds per transfer.
qint64 PlatformProcess::residentBytes() const { return memoryField("RssAnon:"); }

qint64 PlatformProcess::memoryGrowthDuring(const std::function<void()> &work) const
{
    const qint64 before = residentBytes();
    qint64 peak = before;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done) {
        peak = qMax(peak, residentBytes());
        QThread::msleep(10);
    }
    worker.join();
    return qMax(peak, residentBytes()) - before;
}

std::unique_ptr<PlatformProcess> PlatformProcess::startDemo(QString *error,
                                                            const QStringList &serveArguments)
{
    Options options;
    options.demo = true;
    options.serveArguments = serveArguments;
    auto platform = std::make_unique<PlatformProcess>(options);
    if (!platform->start(error))
        return nullptr;
    return platform;
}

bool PlatformProcess::start(QString *error)
{
    const auto fail = [error](const QString &message) { return failWith(error, message); };
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (m_options.demo) {
        const Result demo = run({QStringLiteral("demo")});
        if (demo.exitCode != 0)
            return fail(QStringLiteral("demo failed: ") + QString::fromUtf8(demo.err));
        m_demoListing = QString::fromUtf8(demo.out);
    }
    return serve(0, error);
}

QString PlatformProcess::logPath() const
{
    return m_dir.filePath(QStringLiteral("serve.log"));
}

QByteArray PlatformProcess::log() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool PlatformProcess::restart(QString *error)
{
    stop();
    return serve(m_lastPort, error);
}

bool PlatformProcess::serve(int port, QString *error)
{
    const auto fail = [error](const QString &message) { return failWith(error, message); };
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    QFile::remove(portFile); // a port of an earlier start is not this one's
    m_process = std::make_unique<QProcess>();
    if (m_options.keepLog)
        m_process->setStandardErrorFile(logPath(), QIODevice::Append);
    else
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(binary(), storageArguments()
                         + QStringList{QStringLiteral("serve"), QStringLiteral("--listen"),
                                       QStringLiteral("127.0.0.1:%1").arg(port),
                                       QStringLiteral("--port-file"),
                                       portFile, QStringLiteral("--stop-with-parent")}
                         + m_options.serveArguments);
    if (!m_process->waitForStarted(kStartTimeoutMs))
        return fail(QStringLiteral("aurex-platform did not start"));
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            m_port = file.readAll().trimmed().toInt();
            if (m_port > 0) {
                m_lastPort = m_port;
                return true;
            }
        }
        if (m_process->state() == QProcess::NotRunning)
            return fail(QStringLiteral("aurex-platform ended before serving"));
        QThread::msleep(20);
    }
    return fail(QStringLiteral("aurex-platform published no port"));
}

void PlatformProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished();
        }
    }
    m_process.reset();
    m_port = 0;
}

void PlatformProcess::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished();
    m_process.reset();
    m_port = 0;
}

bool PlatformProcess::waitForEnd(int milliseconds)
{
    return !m_process || m_process->state() == QProcess::NotRunning
           || m_process->waitForFinished(milliseconds);
}

QString PlatformProcess::demoObjectId(const QString &title) const
{
    const QRegularExpression line(QStringLiteral("^\\s*%1\\s+\\S+\\s+(\\S+)\\s*$")
                                      .arg(QRegularExpression::escape(title)),
                                  QRegularExpression::MultilineOption);
    return line.match(m_demoListing).captured(1);
}

QString PlatformProcess::serverHost() const
{
    const bool tls = m_options.serveArguments.contains(QStringLiteral("--cert"));
    // Stopped, it is where restart() brings it back.
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(tls ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(m_port > 0 ? m_port : m_lastPort);
}

QString PlatformProcess::serverUrl() const { return serverHost() + QStringLiteral("/vaultis"); }

QString PlatformProcess::casUrl() const { return serverHost() + QStringLiteral("/cas"); }
