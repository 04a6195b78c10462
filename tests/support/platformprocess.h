#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A real aurex-platform for a test: serves on 127.0.0.1 with a port the system picks and a data
// folder of its own (optionally filled with the demo first), runs administration commands on
// the same data, and is stopped and waited for when the object goes.
class PlatformProcess
{
public:
    struct Options {
        bool demo = false;
        // Extra arguments of the serve command, e.g. --session-ttl or --cert/--key.
        QStringList serveArguments;
        // Empty: SQLite in the data folder; otherwise a postgresql:// address.
        QString databaseUrl;
        // The serving process's log goes to a file that log() reads, not to the test's output.
        bool keepLog = false;
    };

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    PlatformProcess();
    explicit PlatformProcess(const Options &options);
    ~PlatformProcess();
    PlatformProcess(const PlatformProcess &) = delete;
    PlatformProcess &operator=(const PlatformProcess &) = delete;

    // Runs the demo if asked, starts serving and waits until the port is published. The
    // platform ends with the thread that started it (and with the test process if it crashes).
    bool start(QString *error = nullptr);
    // A platform filled with the demo, already serving with those extra arguments; null (with
    // the reason) when it did not start.
    static std::unique_ptr<PlatformProcess> startDemo(QString *error,
                                                      const QStringList &serveArguments = {});
    void stop();
    // Serves again, on the data and the port of before the stop.
    bool restart(QString *error = nullptr);
    // Ends the serving process at once with SIGKILL, as a crash would; start() serves again
    // on the same data.
    void kill();
    // Waits for the serving process to end by itself (a crash); false if it still serves at
    // the deadline.
    bool waitForEnd(int milliseconds);

    int port() const { return m_port; }
    // The platform id of a demo file, as the demo listed it; empty without the demo.
    QString demoObjectId(const QString &title) const;
    // The serving process's resident anonymous memory now, from /proc (0 if unknown).
    qint64 residentBytes() const;
    // Runs work on another thread and returns by how much the serving process's resident
    // memory rose above its level before, at most, while the work ran.
    qint64 memoryGrowthDuring(const std::function<void()> &work) const;
    // "http://127.0.0.1:PORT" (https with a certificate): what the connector's SetServer takes.
    // While stopped, the port restart() serves on again.
    QString serverHost() const;
    // The launcher files' form of the server address: serverHost() + "/vaultis".
    QString serverUrl() const;
    QString casUrl() const;
    QString dataDir() const;
    // What the serving process has logged so far (with keepLog).
    QByteArray log() const;
    // The first value of each query, read straight from the SQLite database in the data
    // folder (-1 for a query that failed); e.g. the rows a check-in wrote.
    QList<int> countsOf(const QStringList &queries) const;
    // Runs statements straight on the SQLite database, as an older platform or the passing of
    // time would have left it; false when one failed.
    bool change(const QStringList &statements) const;

    // Runs an administration command on this platform's data: "user add bob" etc.
    Result run(const QStringList &arguments, const QByteArray &input = QByteArray(),
               const QProcessEnvironment &environment =
                   QProcessEnvironment::systemEnvironment()) const;
    bool addUser(const QString &login, const QString &password,
                 const QString &firstName = QString(), const QString &lastName = QString()) const;
    bool addSpace(const QString &space, const QStringList &members) const;
    QString issueCookie(const QString &login) const;
    // Writes the launcher files for the user (a fresh cookie) where the environment's
    // XDG_CONFIG_HOME / XDG_DATA_HOME say; options add --space, --model, --tenant...
    bool writeLauncherFiles(const QString &login, const QProcessEnvironment &environment,
                            const QStringList &options = QStringList()) const;

    static QString binary();

private:
    QStringList storageArguments() const;
    // Each statement's first value (reading) or rows changed (writing); -1 for a failure.
    QList<int> onDatabase(const QStringList &statements, bool readOnly) const;
    qint64 memoryField(const char *name) const;
    QString logPath() const;

    Options m_options;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    int m_lastPort = 0; // the port of the last serve, kept across a stop
    bool serve(int port, QString *error);
    QString m_demoListing; // "  bridge.dwg  AX000000001  <id>" a line
};
