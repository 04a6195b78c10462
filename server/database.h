#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <stdexcept>
#include <utility>

// Raised by storage code for anything that must end the current request; the HTTP layer turns it
// into a status code and a JSON error body. The message is safe to show to the caller.
class ApiError : public std::runtime_error
{
public:
    ApiError(int status, const QString &message, int retryAfterSeconds = 0)
        : std::runtime_error(message.toStdString()), m_status(status),
          m_retryAfter(retryAfterSeconds) {}
    int status() const { return m_status; }
    // For a refusal that ends by itself (429): seconds until a new attempt may succeed.
    int retryAfterSeconds() const { return m_retryAfter; }

private:
    int m_status;
    int m_retryAfter;
};

// The platform's SQL storage. Configured once per process; every thread then gets its own
// connection on first use (Qt SQL connections must stay on the thread that opened them).
// SQLite in the data folder by default, PostgreSQL when a postgresql:// address is given; the
// statements are the same for both, only column types of the schema differ.
class Database
{
public:
    enum class Backend { Sqlite, Postgres };

    // databaseUrl empty: SQLite file in dataDir, which exists. Never logs the address (it may
    // hold a password).
    static bool configure(const QString &dataDir, const QString &databaseUrl, QString *error);
    static Backend backend();
    static QSqlDatabase connection();
    // Creates missing tables and the default tenant; safe to run at every start.
    static void createSchema();

    // "?,?,?": count positional parameters, for an IN list.
    static QString placeholders(int count);
    // Runs one statement with positional bindings; throws ApiError(500) on failure.
    static QSqlQuery exec(const QString &sql, const QVariantList &binds = {});
    // A statement without parameters, sent as it is: schema changes and transaction control,
    // which PostgreSQL does not prepare.
    static void runUnprepared(const QString &sql);
    // Holds back every other transaction that asks for the same key until the current one ends.
    // SQLite serializes writers already; on PostgreSQL this is a transaction-level advisory lock.
    static void lockKey(const QString &key);
    // Same as exec, and returns the first column of the first row (invalid when there is no row).
    static QVariant value(const QString &sql, const QVariantList &binds = {});
    // The numbers that the table's key column gives from now on lie above floor (or where they
    // lay, when that is higher).
    static void raiseSequence(const QString &table, const QString &column, qint64 floor);
    // Closes this thread's connection; the next statement opens a new one.
    static void disconnect();
    // Statements that failed and connections that could not be opened, since the start.
    static qint64 errorCount();
    // Gives back the disk space the database can free at once, after a full disk: SQLite's
    // write-ahead log, copied into the database and emptied. False when that cannot be done
    // now (a reader holds the log, or copying needs space), and on PostgreSQL.
    static bool releaseSpace();
    // Gives the space of deleted contents back to the disk: SQLite rebuilds its file and
    // empties its log, PostgreSQL rewrites its tables (locking each while it does). The
    // database's size before and after, in bytes.
    static std::pair<qint64, qint64> compact();

private:
    // Counts and logs a statement that failed; throws 507 (the disk is full) or 500.
    [[noreturn]] static void failed(const char *what, const QString &sql, const QSqlError &error);
};

// One write transaction on the current thread's connection: begun on construction, rolled back
// on destruction unless committed. On SQLite the write lock is taken at once, so concurrent
// writers wait for each other instead of failing half-way.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    void commit();
    // Called on the committing thread after every commit, from now on (nothing: none). Set
    // while no transaction runs.
    static void setCommitHook(std::function<void()> hook);

private:
    static std::function<void()> &commitHook();
    bool m_open = true;
};
