#include "postgrescluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

namespace {

// Where Debian installs the server binaries; AUREX_PG_BIN names another folder.
QString binFolder()
{
    const QByteArray chosen = qgetenv("AUREX_PG_BIN");
    if (!chosen.isEmpty())
        return QString::fromLocal8Bit(chosen);
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        const QString bin = versions.filePath(*it + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return QString();
}

} // namespace

PostgresCluster::PostgresCluster() : m_bin(binFolder()) {}

PostgresCluster::~PostgresCluster()
{
    if (m_running) {
        QString output;
        runTool(QStringLiteral("pg_ctl"), {"-D", m_cluster, "-m", "immediate", "stop"}, &output);
    }
}

QString PostgresCluster::unavailableReason()
{
    if (binFolder().isEmpty())
        return QStringLiteral("PostgreSQL server binaries not found under /usr/lib/postgresql "
                              "(install the postgresql package, as scripts/setup does, or set "
                              "AUREX_PG_BIN)");
    if (geteuid() == 0 && !getpwnam("postgres"))
        return QStringLiteral("running as root without a postgres user to run the PostgreSQL "
                              "server");
    return QString();
}

bool PostgresCluster::runTool(const QString &tool, const QStringList &arguments, QString *output)
{
    QString program = m_bin + QLatin1Char('/') + tool;
    QStringList all = arguments;
    if (geteuid() == 0) {
        all = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                          program} + arguments;
        program = QStringLiteral("runuser");
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, all);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    *output = tool + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
    return ok;
}

bool PostgresCluster::start(QString *error)
{
    *error = unavailableReason();
    if (!error->isEmpty())
        return false;
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder for the cluster");
        return false;
    }
    if (geteuid() == 0) {
        const passwd *postgres = getpwnam("postgres");
        if (chown(QFile::encodeName(m_dir.path()).constData(), postgres->pw_uid,
                  postgres->pw_gid) != 0) {
            *error = QStringLiteral("cannot hand the cluster's folder to the postgres user");
            return false;
        }
    }
    m_cluster = m_dir.filePath(QStringLiteral("cluster"));
    if (!runTool(QStringLiteral("initdb"),
                 {"-D", m_cluster, "-U", "aurex", "-A", "trust", "--no-sync", "-E", "UTF8"},
                 error))
        return false;
    m_running = runTool(
        QStringLiteral("pg_ctl"),
        {"-D", m_cluster, "-w", "-l", m_dir.filePath(QStringLiteral("server.log")), "-o",
         QStringLiteral("-k %1 -c listen_addresses='' -F").arg(m_dir.path()), "start"},
        error);
    return m_running
        && runTool(QStringLiteral("createdb"), {"-h", m_dir.path(), "-U", "aurex", "platform"},
                   error);
}

QString PostgresCluster::databaseUrl() const
{
    return QStringLiteral("postgresql://aurex@/platform?host=%1").arg(m_dir.path());
}
