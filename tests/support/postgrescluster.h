#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL cluster of a test's own: made in a temporary folder, listening only on a socket
// there, with an empty database "platform" of the user "aurex"; stopped with the object. The
// server refuses to run as root, so a test running as root runs the server's tools as the
// postgres user. Lives on the test's thread.
class PostgresCluster
{
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

    // Why no cluster can run here (no server binaries, no user to run them), or empty.
    static QString unavailableReason();
    bool start(QString *error);
    // The database's postgresql:// address, through the socket.
    QString databaseUrl() const;
    // Runs one of the server's tools (psql, pg_dump...) as the user that runs the server; its
    // name, a colon and its output in *output.
    bool runTool(const QString &tool, const QStringList &arguments, QString *output);

private:

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_cluster;
    bool m_running = false;
};
