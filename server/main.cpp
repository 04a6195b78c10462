// aurex-platform: the collaboration platform server and its administration commands.

#include "accountcommands.h"
#include "accountstore.h"
#include "apiserver.h"
#include "credentials.h"
#include "database.h"
#include "datafolderlock.h"
#include "demodata.h"
#include "diskspace.h"
#include "launcherfiles.h"
#include "platformconstants.h"
#include "renumbering.h"
#include "retention.h"
#include "integritycheck.h"
#include "retentionsweeper.h"
#include "sqlitebackup.h"
#include "titleblockcommands.h"
#include "usageerror.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <malloc.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

namespace {

const char kUsage[] =
    "Commands:\n"
    "  serve [--listen HOST:PORT] [--port-file FILE] [--cert FILE --key FILE]\n"
    "        [--session-ttl SECONDS] [--max-upload BYTES] [--threads N] [--stop-with-parent]\n"
    "        [--connections-per-client N] [--trusted-proxy ADDRESS]...\n"
    "        [--keep-versions N] [--keep-days D] [--keep-alive SECONDS]\n"
    "        [--metrics-from ADDRESS[/BITS]]...      (default: loopback)\n"
    "        [--launcher-cookie-days D] [--public-url URL]   (for aurex-launcher; default 30)\n"
    "        [--low-space BYTES] [--space-reserve BYTES]     (default 1 GiB, 64 MiB)\n"
    "  user add LOGIN [--first-name X] [--last-name Y] [--email Z]   (password on stdin)\n"
    "  user passwd LOGIN                                             (password on stdin)\n"
    "  user list [--json]\n"
    "  user disable LOGIN | user enable LOGIN | user remove LOGIN\n"
    "  tenant add NAME\n"
    "  space add NAME [--tenant T]\n"
    "  space list [--tenant T] [--json]\n"
    "  member add SPACE LOGIN [--tenant T] [--preferred] [--role reader|editor|manager]\n"
    "  member role SPACE LOGIN reader|editor|manager [--tenant T]\n"
    "  member list SPACE [--tenant T] [--json]\n"
    "  member remove SPACE LOGIN [--tenant T]\n"
    "  lock list [--space S] [--user LOGIN] [--json]\n"
    "  lock release NAME                     (an object's automatic name or platform id)\n"
    "  trash list [--space S] [--json]\n"
    "  trash restore NAME                    (an object's automatic name or platform id)\n"
    "  trash purge [--trash-days D]          (default 30)\n"
    "  audit [--user LOGIN] [--space S] [--object NAME] [--since TIME] [--until TIME] [--json]\n"
    "  titleblock show [--tenant T] [--json]\n"
    "  titleblock set number|title|revision|sheet [TAG ...] [--tenant T]\n"
    "  titleblock reset [--tenant T]                (the default tags)\n"
    "  issue-cookie LOGIN [--ttl SECONDS]\n"
    "  launcher-files --user LOGIN [--server-url URL] [--cas-url URL] [--dashboard-url URL]\n"
    "        [--space S] [--tenant T] [--model ID] [--preferred-context TEXT] [--ttl SECONDS]\n"
    "        [--config-folder DIR] [--apps-folder DIR]\n"
    "  prune [--keep-versions N] [--keep-days D]\n"
    "  demo\n"
    "  backup FILE                                 (SQLite, also while serve runs)\n"
    "  restore FILE [--margin N]                   (into an empty data folder)\n"
    "  renumber [--margin N]                       (PostgreSQL, after pg_restore)\n"
    "  check [--json]                              (every stored content against its SHA-256)\n"
    "  compact                                     (gives deleted contents' space back)\n";

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString readPassword()
{
    QTextStream in(stdin);
    QString line = in.readLine();
    while (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

// A number of bytes as given (its bounds are the caller's to check), else the fallback.
qint64 byteOption(const QCommandLineParser &parser, const char *name, qint64 fallback)
{
    return parser.isSet(QLatin1String(name)) ? parser.value(QLatin1String(name)).toLongLong()
                                             : fallback;
}

int intOption(const QCommandLineParser &parser, const char *name, int fallback)
{
    if (!parser.isSet(QLatin1String(name)))
        return fallback;
    bool ok = false;
    const int value = parser.value(QLatin1String(name)).toInt(&ok);
    if (!ok || value <= 0)
        throw UsageError(std::string("--") + name + " needs a positive number");
    return value;
}

// The retention the options ask for; without them, every version is kept.
Retention retentionOf(const QCommandLineParser &parser)
{
    return Retention(intOption(parser, "keep-versions", 0), intOption(parser, "keep-days", 0));
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString serverUrlFile(const QString &dataDir)
{
    return QDir(dataDir).filePath(QLatin1String(platform::kServerUrlFileName));
}

// The data folder holds the database with everyone's password hashes, and uploads on their way
// in: only its owner may enter it. A folder that exists already is closed the same way.
bool makePrivateFolder(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QByteArray native = QFile::encodeName(clean);
    if (!QDir().mkpath(QFileInfo(clean).absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(clean);
        return false;
    }
    if ((::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        || ::chmod(native.constData(), 0700) != 0) {
        *error = QStringLiteral("cannot create the private folder %1: %2")
                     .arg(clean, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

int serve(const QCommandLineParser &parser, const QString &dataDir)
{
    // Two processes serving one SQLite folder would publish each other's address and remove
    // each other's uploads on the way in. Processes that share a PostgreSQL database are each
    // given a folder of their own (see Deployment in API.md).
    DataFolderLock folderLock;
    QString lockError;
    if (Database::backend() == Database::Backend::Sqlite
        && !folderLock.acquire(dataDir, &lockError)) {
        err() << "aurex-platform: " << lockError << "\n";
        return 1;
    }
    ApiServer::Options options;
    if (parser.isSet(QStringLiteral("listen"))) {
        const QString listen = parser.value(QStringLiteral("listen"));
        const int colon = listen.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        options.port = listen.mid(colon + 1).toInt(&ok);
        if (colon <= 0 || !ok || options.port < 0 || options.port > 65535)
            throw UsageError("--listen takes HOST:PORT");
        options.host = listen.left(colon);
    } else {
        options.port = 8080;
    }
    options.certFile = parser.value(QStringLiteral("cert"));
    options.keyFile = parser.value(QStringLiteral("key"));
    if (options.certFile.isEmpty() != options.keyFile.isEmpty())
        throw UsageError("--cert and --key go together");
    options.sessionTtlSeconds = intOption(parser, "session-ttl", platform::kDefaultSessionTtlSeconds);
    options.maxUploadBytes = byteOption(parser, "max-upload", platform::kDefaultMaxUploadBytes);
    // Contents stream through a file and into chunks, so an upload's size is bounded by the
    // disk rather than by memory.
    if (options.maxUploadBytes <= 0 || options.maxUploadBytes > platform::kMaxUploadLimitBytes)
        throw UsageError("--max-upload needs a positive number of at most 64 GiB");
    // The data folder holds the SQLite database and the uploads on their way in; on
    // PostgreSQL only the latter, and the database's own disk is the server's to watch.
    DiskSpace::setFolder(dataDir);
    const qint64 lowSpace = byteOption(parser, "low-space", platform::kDefaultLowSpaceBytes);
    if (lowSpace < 0)
        throw UsageError("--low-space needs a number of bytes (0: no warning)");
    DiskSpace::setWarningBytes(lowSpace);
    const qint64 reserve =
        byteOption(parser, "space-reserve", platform::kDefaultSpaceReserveBytes);
    if (reserve < 0)
        throw UsageError("--space-reserve needs a number of bytes (0: none)");
    DiskSpace::setReserveBytes(reserve);
    DiskSpace::check();
    options.threads = intOption(parser, "threads", platform::kDefaultThreads);
    options.connectionsPerClient = intOption(parser, "connections-per-client",
                                             platform::kDefaultConnectionsPerClient);
    options.trustedProxies = parser.values(QStringLiteral("trusted-proxy"));
    options.retention = retentionOf(parser);
    options.trashDays = intOption(parser, "trash-days", platform::kDefaultTrashDays);
    options.keepAliveSeconds = intOption(parser, "keep-alive", platform::kDefaultKeepAliveSeconds);
    options.metricsFrom = parser.isSet(QStringLiteral("metrics-from"))
        ? parser.values(QStringLiteral("metrics-from"))
        : QStringList{QStringLiteral("127.0.0.0/8"), QStringLiteral("::1")};
    for (const QString &from : options.metricsFrom) {
        const bool valid = from.contains(QLatin1Char('/'))
            ? QHostAddress::parseSubnet(from).second >= 0
            : !QHostAddress(from).isNull();
        if (!valid)
            throw UsageError("--metrics-from takes an address or ADDRESS/BITS");
    }
    options.launcherCookieDays = intOption(parser, "launcher-cookie-days",
                                           platform::kDefaultLauncherCookieDays);
    if (options.launcherCookieDays > platform::kMaxLauncherCookieDays)
        throw UsageError("--launcher-cookie-days allows at most a year (366 days)");
    options.publicUrl = parser.value(QStringLiteral("public-url"));
    const QUrl publicUrl(options.publicUrl, QUrl::StrictMode);
    if (!options.publicUrl.isEmpty()
        && (!publicUrl.isValid() || publicUrl.host().isEmpty()
            || (publicUrl.scheme() != QLatin1String("http")
                && publicUrl.scheme() != QLatin1String("https"))))
        throw UsageError("--public-url takes an address such as https://aurex.example.com");
    options.uploadFolder = QDir(dataDir).filePath(QLatin1String(platform::kUploadFolderName));
    QString folderError;
    if (!makePrivateFolder(options.uploadFolder, &folderError)) {
        err() << "aurex-platform: " << folderError << "\n";
        return 1;
    }
    // Uploads left behind by a server that did not end cleanly.
    QDir uploads(options.uploadFolder);
    for (const QString &stale : uploads.entryList(QDir::Files | QDir::Hidden))
        uploads.remove(stale);

    // A platform started by a test or a script ends with it, even when that one crashes.
    const pid_t parent = getppid();
    if (parser.isSet(QStringLiteral("stop-with-parent"))
        && (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent)) {
        err() << "aurex-platform: the parent process is gone\n";
        return 1;
    }

    ApiServer server(options);
    QString error;
    if (!server.bind(&error)) {
        err() << "aurex-platform: " << error << "\n";
        return 1;
    }
    const QString host = options.host == QLatin1String("0.0.0.0") ? QStringLiteral("127.0.0.1")
                                                                  : options.host;
    const QString url = QStringLiteral("%1://%2:%3%4")
                            .arg(server.isTls() ? QStringLiteral("https") : QStringLiteral("http"),
                                 host)
                            .arg(server.port())
                            .arg(QLatin1String(platform::kVaultPath));
    writeAtomically(serverUrlFile(dataDir), url.toUtf8() + '\n');
    if (parser.isSet(QStringLiteral("port-file"))
        && !writeAtomically(parser.value(QStringLiteral("port-file")),
                            QByteArray::number(server.port()) + '\n')) {
        err() << "aurex-platform: cannot write the port file\n";
        return 1;
    }
    out() << "aurex-platform: serving " << url << "\n";
    out().flush();

    // SIGTERM and SIGINT are taken by one waiting thread, which stops the server gracefully:
    // requests in progress finish, then run() returns.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    std::thread waiter([&stopSignals, &server] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    });
    {
        const RetentionSweeper sweeper(options.retention, options.trashDays);
        server.run();
    }
    // When the server ended on its own, wake the waiter; stopping twice is harmless.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    out() << "aurex-platform: stopped\n";
    return 0;
}

int launcherFiles(const QCommandLineParser &parser, const QString &dataDir, AccountStore &accounts)
{
    const QString user = parser.value(QStringLiteral("user"));
    if (user.isEmpty())
        throw UsageError("launcher-files needs --user");
    LauncherFiles::Values values;
    values.serverUrl = parser.value(QStringLiteral("server-url"));
    if (values.serverUrl.isEmpty()) {
        QFile published(serverUrlFile(dataDir));
        if (published.open(QIODevice::ReadOnly))
            values.serverUrl = QString::fromUtf8(published.readAll()).trimmed();
    }
    if (values.serverUrl.isEmpty())
        throw UsageError("no server has run on this data folder yet: give --server-url");
    const QUrl server(values.serverUrl);
    const QString origin = server.adjusted(QUrl::RemovePath | QUrl::RemoveQuery
                                           | QUrl::RemoveFragment)
                               .toString();
    values.casUrl = parser.isSet(QStringLiteral("cas-url"))
        ? parser.value(QStringLiteral("cas-url"))
        : origin + QLatin1String(platform::kCasPath);
    values.dashboardUrl = parser.isSet(QStringLiteral("dashboard-url"))
        ? parser.value(QStringLiteral("dashboard-url"))
        : origin + QLatin1String(platform::kDashboardPath);
    values.space = parser.value(QStringLiteral("space"));
    values.tenant = parser.value(QStringLiteral("tenant"));
    values.modelId = parser.value(QStringLiteral("model"));
    values.preferredContext = parser.value(QStringLiteral("preferred-context"));
    values.cookie = accounts.issueCookie(user, intOption(parser, "ttl",
                                                         platform::kDefaultCookieTtlSeconds));
    const QString configFolder =
        LauncherFiles::configFolder(parser.value(QStringLiteral("config-folder")));
    const QString appsFolder = LauncherFiles::appsFolder(parser.value(QStringLiteral("apps-folder")));
    QString error;
    if (!LauncherFiles::write(values, configFolder, appsFolder, &error)) {
        err() << "aurex-platform: " << error << "\n";
        return 1;
    }
    out() << "launcher files written to " << QDir::toNativeSeparators(configFolder) << " and "
          << QDir::toNativeSeparators(appsFolder) << "\n";
    return 0;
}

// Backup and restore work on the SQLite file itself, before anything opens the database the
// usual way: a restore must find the data folder empty.
int backupOrRestore(const QStringList &words, const QCommandLineParser &parser,
                    const QString &dataDir)
{
    if (words.size() != 2)
        throw UsageError("wrong number of arguments");
    if (Database::backend() != Database::Backend::Sqlite) {
        err() << "aurex-platform: on PostgreSQL, back up with pg_dump and restore with "
                 "pg_restore (see \"Back up and restore\" in API.md)\n";
        return 1;
    }
    QString report;
    QString error;
    bool done = false;
    if (words.first() == QLatin1String("backup")) {
        if (!QFileInfo::exists(QDir(dataDir).filePath(QLatin1String(platform::kSqliteFileName)))) {
            err() << "aurex-platform: there is no platform database in "
                  << QDir::toNativeSeparators(dataDir) << "\n";
            return 1;
        }
        done = SqliteBackup::create(words.at(1), &report, &error);
    } else {
        done = SqliteBackup::restore(words.at(1), dataDir,
                                     intOption(parser, "margin", platform::kDefaultRestoreMargin),
                                     &report, &error);
    }
    if (!done) {
        err() << "aurex-platform: " << error << "\n";
        return 1;
    }
    out() << report << "\n";
    return 0;
}

int administer(const QStringList &words, const QCommandLineParser &parser,
               const QString &dataDir)
{
    auto word = [&words](int i) { return i < words.size() ? words.at(i) : QString(); };
    auto need = [&words](int count) {
        if (words.size() != count)
            throw UsageError("wrong number of arguments");
    };
    const QString command = word(0);
    const QString tenant = parser.value(QStringLiteral("tenant"));
    AccountStore accounts(platform::kDefaultSessionTtlSeconds);
    if (AccountCommands(parser, out(), accounts).run(words)
        || TitleBlockCommands(parser, out()).run(words))
        return 0;
    // The password rules hold for what administrators give; the demo's accounts are made
    // directly.
    if (command == QLatin1String("user") && word(1) == QLatin1String("add")) {
        need(3);
        const QString password = readPassword();
        AccountStore::checkPasswordPolicy(word(2), password);
        accounts.addUser(word(2), parser.value(QStringLiteral("first-name")),
                         parser.value(QStringLiteral("last-name")),
                         parser.value(QStringLiteral("email")), password);
    } else if (command == QLatin1String("user") && word(1) == QLatin1String("passwd")) {
        need(3);
        const QString password = readPassword();
        AccountStore::checkPasswordPolicy(word(2), password);
        accounts.setPassword(word(2), password);
    } else if (command == QLatin1String("tenant") && word(1) == QLatin1String("add")) {
        need(3);
        accounts.addTenant(word(2));
    } else if (command == QLatin1String("space") && word(1) == QLatin1String("add")) {
        need(3);
        accounts.addSpace(tenant, word(2));
    } else if (command == QLatin1String("issue-cookie")) {
        need(2);
        out() << accounts.issueCookie(word(1), intOption(parser, "ttl",
                                                         platform::kDefaultCookieTtlSeconds))
              << "\n";
    } else if (command == QLatin1String("launcher-files")) {
        need(1);
        return launcherFiles(parser, dataDir, accounts);
    } else if (command == QLatin1String("prune")) {
        need(1);
        const Retention retention = retentionOf(parser);
        if (retention.keepsAll())
            throw UsageError("prune needs --keep-versions or --keep-days");
        out() << "pruned " << retention.pruneAll() << " versions\n";
    } else if (command == QLatin1String("compact")) {
        need(1);
        const auto [before, after] = Database::compact();
        out() << "compacted: the database took " << QString::number(before / 1048576.0, 'f', 1)
              << " MiB and takes " << QString::number(after / 1048576.0, 'f', 1) << " MiB\n";
    } else if (command == QLatin1String("check")) {
        need(1);
        const IntegrityCheck check;
        if (parser.isSet(QStringLiteral("json"))) {
            out() << check.damaged().json();
            return check.damaged().isEmpty() ? 0 : 1;
        }
        if (check.damaged().isEmpty()) {
            out() << check.checked() << " contents checked: all intact\n";
            return 0;
        }
        out() << check.checked() << " contents checked; these versions are damaged (restore "
                                   "the database from a backup, or check the files in again):\n"
              << check.damaged().text();
        return 1;
    } else if (command == QLatin1String("renumber")) {
        need(1);
        const int margin = intOption(parser, "margin", platform::kDefaultRestoreMargin);
        out() << "automatic names continue at " << Renumbering::skipPast(margin)
              << ", check-in and event numbers " << margin << " past the database's\n";
    } else if (command == QLatin1String("demo")) {
        need(1);
        DemoData::create(accounts, out());
    } else {
        throw UsageError("unknown command");
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Block the stop signals before any thread starts, so that only the serve command's
    // waiting thread receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Transfers pass through buffers of a megabyte on several threads: served from their own
    // mappings, such buffers go back to the system when freed instead of growing the heap of
    // every thread that once held one. Answers of a few hundred kilobytes (a long list of
    // versions) come from the heap, and a few megabytes of it stay for the next answer rather
    // than going back to the system and faulting in again each time.
    mallopt(M_MMAP_THRESHOLD, 768 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);

    // Every log line says when (the machine's time, with its zone), which part and how grave.
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-ddThh:mm:ss.zzz t} %{if-debug}debug%{endif}"
                                      "%{if-info}info%{endif}%{if-warning}warning%{endif}"
                                      "%{if-critical}error%{endif}%{if-fatal}fatal%{endif} "
                                      "%{category}: %{message}"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("aurex-platform"));
    QCoreApplication::setApplicationVersion(QLatin1String(platform::kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The AUREX collaboration platform.\n\n")
                                     + QLatin1String(kUsage));
    parser.addHelpOption();
    parser.addVersionOption();
    const QStringList valued = {
        QStringLiteral("data"), QStringLiteral("database"), QStringLiteral("listen"),
        QStringLiteral("port-file"), QStringLiteral("cert"), QStringLiteral("key"),
        QStringLiteral("session-ttl"), QStringLiteral("max-upload"), QStringLiteral("threads"),
        QStringLiteral("low-space"), QStringLiteral("space-reserve"),
        QStringLiteral("first-name"), QStringLiteral("last-name"), QStringLiteral("email"),
        QStringLiteral("tenant"), QStringLiteral("ttl"), QStringLiteral("user"),
        QStringLiteral("server-url"), QStringLiteral("cas-url"), QStringLiteral("dashboard-url"),
        QStringLiteral("space"), QStringLiteral("model"), QStringLiteral("preferred-context"),
        QStringLiteral("config-folder"), QStringLiteral("apps-folder"),
        QStringLiteral("connections-per-client"), QStringLiteral("trusted-proxy"),
        QStringLiteral("keep-versions"), QStringLiteral("keep-days"), QStringLiteral("keep-alive"),
        QStringLiteral("margin"), QStringLiteral("metrics-from"), QStringLiteral("trash-days"),
        QStringLiteral("role"), QStringLiteral("object"), QStringLiteral("since"),
        QStringLiteral("until"), QStringLiteral("launcher-cookie-days"),
        QStringLiteral("public-url")};
    for (const QString &name : valued)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("preferred")));
    parser.addOption(QCommandLineOption(QStringLiteral("json")));
    parser.addOption(QCommandLineOption(QStringLiteral("stop-with-parent")));
    parser.process(app);

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        err() << kUsage;
        return 2;
    }
    if (!Credentials::initialize()) {
        err() << "aurex-platform: the crypto library cannot start\n";
        return 1;
    }
    const QString dataDir = parser.isSet(QStringLiteral("data"))
        ? parser.value(QStringLiteral("data"))
        : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/aurex-platform");
    QString error;
    if (!makePrivateFolder(dataDir, &error)) {
        err() << "aurex-platform: " << error << "\n";
        return 1;
    }
    if (!Database::configure(dataDir, parser.value(QStringLiteral("database")), &error)) {
        err() << "aurex-platform: " << error << "\n";
        return 2;
    }
    try {
        if (words.first() == QLatin1String("backup") || words.first() == QLatin1String("restore"))
            return backupOrRestore(words, parser, dataDir);
        Database::createSchema();
        if (words.first() == QLatin1String("serve"))
            return serve(parser, dataDir);
        return administer(words, parser, dataDir);
    } catch (const UsageError &usage) {
        err() << "aurex-platform: " << usage.what() << "\n\n" << kUsage;
        return 2;
    } catch (const ApiError &failure) {
        err() << "aurex-platform: " << failure.what() << "\n";
        return 1;
    }
}
