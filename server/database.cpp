#include "database.h"

#include "contentconversion.h"
#include "diskspace.h"
#include "platformconstants.h"
#include "versionstore.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>

Q_LOGGING_CATEGORY(lcStorage, "platform.storage")

namespace {

struct Settings {
    Database::Backend backend = Database::Backend::Sqlite;
    QString sqlitePath;
    QString host;
    int port = -1;
    QString user;
    QString password;
    QString name;
};

Settings g_settings;
std::atomic<int> g_connectionCounter{0};
std::atomic<qint64> g_errors{0};

// Closes the thread's connection when the thread ends.
struct ThreadConnection {
    QString name;
    ~ThreadConnection() { close(); }
    void close()
    {
        if (name.isEmpty())
            return;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
        name.clear();
    }
};

thread_local ThreadConnection t_connection;
// A statement of this thread's transaction failed for the want of space.
thread_local bool t_diskFull = false;
// The size SQLite's write-ahead log is cut back to once copied into the database.
const qint64 kJournalSizeLimit = 8 * 1024 * 1024;

QString schemaType(const char *sqliteType, const char *postgresType)
{
    return QString::fromLatin1(Database::backend() == Database::Backend::Sqlite ? sqliteType
                                                                                : postgresType);
}

// What this platform makes of a database. 1: every database made before the version was kept;
// 2: check-in ids are never given twice, accounts have a status; 3: memberships have a role,
// deleted objects wait in the trash, writes leave a trail; 4: versions and objects carry what
// their drawing's title block says, tenants map title block attributes; 5: contents are lists
// of chunks cut by content, shared by every content that holds them. A platform refuses a
// database of a higher version, which a newer platform made and may have changed in ways it
// would miss.
const int kSchemaVersion = 5;
const char kSchemaVersionCounter[] = "schema_version";

// The version a database holds; 0 when it is empty.
int storedSchemaVersion()
{
    const QStringList tables = Database::connection().tables();
    if (!tables.contains(QStringLiteral("counters")))
        return tables.isEmpty() ? 0 : 1;
    const QVariant stored =
        Database::value(QStringLiteral("SELECT value FROM counters WHERE name = ?"),
                        {QString::fromLatin1(kSchemaVersionCounter)});
    return stored.isValid() ? stored.toInt() : 1;
}

void refuseNewerSchema()
{
    const int stored = storedSchemaVersion();
    if (stored > kSchemaVersion) {
        throw ApiError(500, QStringLiteral("the database was made by a newer aurex-platform "
                                           "(schema version %1; this one knows up to %2): run "
                                           "that version of the platform or a later one")
                                .arg(stored)
                                .arg(kSchemaVersion));
    }
}

// Adds a column to a table made before the column was known; the rows it has get the default.
void addColumnOnce(const QString &table, const QString &column, const QString &definition)
{
    if (Database::connection().record(table).contains(column))
        return;
    Database::runUnprepared(
        QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table, column, definition));
}

// Ids that answers show: on SQLite, a plain INTEGER PRIMARY KEY would give the highest id again
// once its row is gone, and a restore could not move the numbers past those handed out after
// the backup.
QString shownIdType()
{
    return schemaType("INTEGER PRIMARY KEY AUTOINCREMENT", "BIGSERIAL PRIMARY KEY");
}

QString checkinsTable(const QString &name)
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id %2, user_id BIGINT NOT NULL "
                          "REFERENCES users(id), created_at BIGINT NOT NULL, comment TEXT NOT "
                          "NULL)")
        .arg(name, shownIdType());
}

// Check-in ids of databases made before they were numbered like events. SQLite changes a
// table's key only by copying it into a new table; references to the table are not checked
// meanwhile, which can only be switched off outside a transaction.
void numberCheckInsOnce()
{
    if (Database::backend() != Database::Backend::Sqlite)
        return;
    const auto numbered = [] {
        return Database::value(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = "
                                              "'table' AND name = 'checkins'"))
            .toString()
            .contains(QLatin1String("AUTOINCREMENT"));
    };
    if (numbered() || !Database::connection().tables().contains(QStringLiteral("checkins")))
        return;
    Database::runUnprepared(QStringLiteral("PRAGMA foreign_keys=OFF"));
    {
        Transaction transaction;
        // Another process may have done it while this one waited for the lock.
        if (!numbered()) {
            Database::runUnprepared(checkinsTable(QStringLiteral("checkins_numbered")));
            Database::runUnprepared(QStringLiteral("INSERT INTO checkins_numbered SELECT id, "
                                                   "user_id, created_at, comment FROM checkins"));
            Database::runUnprepared(QStringLiteral("DROP TABLE checkins"));
            Database::runUnprepared(
                QStringLiteral("ALTER TABLE checkins_numbered RENAME TO checkins"));
        }
        transaction.commit();
    }
    Database::runUnprepared(QStringLiteral("PRAGMA foreign_keys=ON"));
}

// What the title block of a drawing says, for each version and for the object's current one;
// versions saved before carry none. Searches match the drawing number and title as they match
// titles, lower-cased and indexed.
void addDrawingColumns()
{
    const QString text = QStringLiteral("TEXT NOT NULL DEFAULT ''");
    for (const char *column : {"drawing_number", "drawing_title", "drawing_revision",
                               "drawing_sheet"}) {
        addColumnOnce(QStringLiteral("objects"), QLatin1String(column), text);
        addColumnOnce(QStringLiteral("object_versions"), QLatin1String(column), text);
    }
    for (const char *column : {"drawing_number_lc", "drawing_title_lc"}) {
        addColumnOnce(QStringLiteral("objects"), QLatin1String(column), text);
        Database::runUnprepared(QStringLiteral("CREATE INDEX IF NOT EXISTS objects_%1 ON "
                                               "objects (%1)")
                                    .arg(QLatin1String(column)));
    }
}

} // namespace

bool Database::configure(const QString &dataDir, const QString &databaseUrl, QString *error)
{
    if (databaseUrl.isEmpty()) {
        g_settings.backend = Backend::Sqlite;
        g_settings.sqlitePath = QDir(dataDir).filePath(QLatin1String(platform::kSqliteFileName));
        return true;
    }
    const QUrl url(databaseUrl);
    if (!url.isValid() || (url.scheme() != QLatin1String("postgresql")
                           && url.scheme() != QLatin1String("postgres"))) {
        *error = QStringLiteral("the database address must begin with postgresql://");
        return false;
    }
    g_settings.backend = Backend::Postgres;
    g_settings.host = url.host();
    // A host=/folder query names the folder of a local server's socket.
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        g_settings.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    g_settings.port = url.port(-1);
    g_settings.user = url.userName(QUrl::FullyDecoded);
    g_settings.password = url.password(QUrl::FullyDecoded);
    g_settings.name = url.path().mid(1);
    if (g_settings.name.isEmpty()) {
        *error = QStringLiteral("the database address names no database");
        return false;
    }
    return true;
}

Database::Backend Database::backend() { return g_settings.backend; }

QSqlDatabase Database::connection()
{
    if (!t_connection.name.isEmpty())
        return QSqlDatabase::database(t_connection.name, false);

    const QString name = QStringLiteral("platform-%1").arg(++g_connectionCounter);
    QSqlDatabase db;
    if (g_settings.backend == Backend::Sqlite) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(g_settings.sqlitePath);
        // Writers from other threads and processes wait for the lock instead of failing.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!g_settings.host.isEmpty())
            db.setHostName(g_settings.host);
        if (g_settings.port > 0)
            db.setPort(g_settings.port);
        db.setUserName(g_settings.user);
        db.setPassword(g_settings.password);
        db.setDatabaseName(g_settings.name);
    }
    t_connection.name = name;
    if (!db.open()) {
        qCWarning(lcStorage) << "cannot open the database:" << db.lastError().driverText();
        ++g_errors;
        throw ApiError(503, QStringLiteral("storage not available"));
    }
    if (g_settings.backend == Backend::Postgres) {
        // Notices such as "already exists, skipping" tell of statements meant to change
        // nothing when there is nothing to change; only warnings and errors reach the log.
        QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO warning"));
    } else {
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Once copied into the database, the log of a large check-in shrinks back to this
        // instead of keeping its disk space.
        pragma.exec(QStringLiteral("PRAGMA journal_size_limit=%1").arg(kJournalSizeLimit));
        // Deleted contents are not overwritten page by page (which would write all of them
        // into the log, more than a full disk has room for); compact clears them.
        pragma.exec(QStringLiteral("PRAGMA secure_delete=FAST"));
        // Searches read the whole object table: through a mapping of the file, every thread's
        // connection reads the same cached pages instead of copying them into its own cache.
        pragma.exec(QStringLiteral("PRAGMA mmap_size=1073741824"));
    }
    return db;
}

void Database::failed(const char *what, const QString &sql, const QSqlError &error)
{
    ++g_errors;
    // SQLite's SQLITE_FULL and PostgreSQL's disk_full, or a write that failed on a full disk.
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("13") || code == QLatin1String("53100")
        || DiskSpace::isFull(error.text())) {
        qCWarning(lcStorage) << "No space left on device:" << what << sql << error.text();
        t_diskFull = true;
        throw ApiError(507, DiskSpace::fullText());
    }
    qCWarning(lcStorage) << what << sql << error.text();
    throw ApiError(500, QStringLiteral("storage error"));
}

bool Database::releaseSpace()
{
    t_diskFull = false;
    DiskSpace::releaseReserve();
    if (g_settings.backend != Backend::Sqlite)
        return false;
    const qint64 before = DiskSpace::freeBytes();
    QSqlQuery checkpoint(connection());
    // Busy (1) when a reader or writer kept the log from being copied whole.
    const bool done = checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))
        && checkpoint.next() && checkpoint.value(0).toInt() == 0;
    const qint64 freed = DiskSpace::freeBytes() - before;
    if (done)
        qCInfo(lcStorage).noquote()
            << QStringLiteral("disk full: the write-ahead log went into the database and was "
                              "emptied, %1 KiB freed")
                   .arg(qMax<qint64>(0, freed) / 1024);
    else
        qCWarning(lcStorage) << "disk full: the write-ahead log cannot be emptied now"
                             << checkpoint.lastError().text();
    return done;
}

std::pair<qint64, qint64> Database::compact()
{
    const auto size = [] {
        if (g_settings.backend == Backend::Postgres)
            return value(QStringLiteral("SELECT pg_database_size(current_database())"))
                .toLongLong();
        return QFileInfo(g_settings.sqlitePath).size()
            + QFileInfo(g_settings.sqlitePath + QLatin1String("-wal")).size();
    };
    const qint64 before = size();
    if (g_settings.backend == Backend::Postgres) {
        runUnprepared(QStringLiteral("VACUUM FULL"));
    } else {
        runUnprepared(QStringLiteral("VACUUM"));
        runUnprepared(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    return {before, size()};
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &binds)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        failed("cannot prepare", sql, query.lastError());
    for (int i = 0; i < binds.size(); ++i) {
        const QVariant &bind = binds.at(i);
        // Text columns are NOT NULL: an unset QString is stored as the empty text.
        if (bind.type() == QVariant::String && bind.toString().isNull())
            query.bindValue(i, QStringLiteral(""));
        else
            query.bindValue(i, bind);
    }
    if (!query.exec())
        failed("statement failed", sql, query.lastError());
    return query;
}

void Database::runUnprepared(const QString &sql)
{
    QSqlQuery query(connection());
    if (!query.exec(sql))
        failed("statement failed", sql, query.lastError());
}

void Database::lockKey(const QString &key)
{
    if (g_settings.backend == Backend::Postgres)
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))"), {key});
}

QVariant Database::value(const QString &sql, const QVariantList &binds)
{
    QSqlQuery query = exec(sql, binds);
    return query.next() ? query.value(0) : QVariant();
}

void Database::raiseSequence(const QString &table, const QString &column, qint64 floor)
{
    if (g_settings.backend == Backend::Postgres) {
        exec(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), GREATEST(?, COALESCE("
                            "pg_sequence_last_value(pg_get_serial_sequence(?, ?)::regclass), "
                            "0)))"),
             {table, column, floor, table, column});
        return;
    }
    exec(QStringLiteral("UPDATE sqlite_sequence SET seq = MAX(seq, ?) WHERE name = ?"),
         {floor, table});
    exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT ?, ? WHERE NOT EXISTS "
                        "(SELECT 1 FROM sqlite_sequence WHERE name = ?)"),
         {table, floor, table});
}

QString Database::placeholders(int count)
{
    return QStringLiteral("?,").repeated(count).chopped(1);
}

void Database::disconnect() { t_connection.close(); }

qint64 Database::errorCount() { return g_errors; }

void Database::createSchema()
{
    const QString id = schemaType("INTEGER PRIMARY KEY", "BIGSERIAL PRIMARY KEY");
    const QString blob = schemaType("BLOB", "BYTEA");
    const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS tenants (id %1, name TEXT NOT NULL UNIQUE, "
                       "is_default INTEGER NOT NULL DEFAULT 0)").arg(id),
        QStringLiteral("CREATE TABLE IF NOT EXISTS users (id %1, login TEXT NOT NULL UNIQUE, "
                       "first_name TEXT NOT NULL, last_name TEXT NOT NULL, email TEXT NOT NULL, "
                       "password_hash TEXT NOT NULL, created_at BIGINT NOT NULL)").arg(id),
        QStringLiteral("CREATE TABLE IF NOT EXISTS spaces (id %1, tenant_id BIGINT NOT NULL "
                       "REFERENCES tenants(id), name TEXT NOT NULL, UNIQUE (tenant_id, name))")
            .arg(id),
        QStringLiteral("CREATE TABLE IF NOT EXISTS memberships (space_id BIGINT NOT NULL "
                       "REFERENCES spaces(id), user_id BIGINT NOT NULL REFERENCES users(id), "
                       "preferred INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (space_id, user_id))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS sessions (token_hash TEXT PRIMARY KEY, "
                       "user_id BIGINT NOT NULL REFERENCES users(id), tenant_id BIGINT NOT NULL "
                       "REFERENCES tenants(id), context_space_id BIGINT, "
                       "created_at BIGINT NOT NULL, expires_at BIGINT NOT NULL)"),
        // Whether an account is disabled and when it last signed in; a table of its own, so
        // that databases made before it need no change of the users table.
        QStringLiteral("CREATE TABLE IF NOT EXISTS user_status (user_id BIGINT PRIMARY KEY "
                       "REFERENCES users(id), disabled INTEGER NOT NULL DEFAULT 0, "
                       "last_sign_in BIGINT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS launcher_cookies (cookie_hash TEXT PRIMARY "
                       "KEY, user_id BIGINT NOT NULL REFERENCES users(id), "
                       "expires_at BIGINT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS contents (sha256 TEXT PRIMARY KEY, "
                       "size BIGINT NOT NULL)"),
        // Contents are lists of chunks cut where their bytes say (see ContentChunker); each
        // chunk is kept once with the number of content parts that use it.
        QStringLiteral("CREATE TABLE IF NOT EXISTS chunks (sha256 TEXT PRIMARY KEY, size BIGINT "
                       "NOT NULL, refs BIGINT NOT NULL, data %1 NOT NULL)").arg(blob),
        QStringLiteral("CREATE TABLE IF NOT EXISTS content_parts (sha256 TEXT NOT NULL "
                       "REFERENCES contents(sha256), seq INTEGER NOT NULL, chunk TEXT NOT NULL, "
                       "size BIGINT NOT NULL, PRIMARY KEY (sha256, seq))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS content_parts_chunk ON content_parts (chunk)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS objects (id %1, phid TEXT NOT NULL UNIQUE, "
                       "name TEXT NOT NULL UNIQUE, name_lc TEXT NOT NULL, title TEXT NOT NULL, "
                       "title_lc TEXT NOT NULL, type TEXT NOT NULL, cadtype TEXT NOT NULL, "
                       "format TEXT NOT NULL, revision INTEGER NOT NULL, space_id BIGINT NOT "
                       "NULL REFERENCES spaces(id), owner_id BIGINT NOT NULL REFERENCES "
                       "users(id), locked_by BIGINT REFERENCES users(id), modified BIGINT NOT "
                       "NULL, sha256 TEXT NOT NULL REFERENCES contents(sha256), size BIGINT NOT "
                       "NULL)").arg(id),
        // A search filters by space and type and matches titles: all three in one index, so the
        // titles are matched without reading the table and come out in order.
        QStringLiteral("DROP INDEX IF EXISTS objects_space_type"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS objects_space_type_title ON objects "
                       "(space_id, type, title_lc)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS objects_title ON objects (title_lc)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS objects_sha ON objects (sha256)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS relations (parent_id BIGINT NOT NULL "
                       "REFERENCES objects(id), child_id BIGINT NOT NULL REFERENCES objects(id), "
                       "kind TEXT NOT NULL, PRIMARY KEY (parent_id, child_id, kind))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS relations_child ON relations (child_id)"),
        // Who saved each object's current version; a table of its own, so that databases
        // made before it need no change of the objects table.
        QStringLiteral("CREATE TABLE IF NOT EXISTS object_writers (object_id BIGINT PRIMARY KEY "
                       "REFERENCES objects(id), user_id BIGINT NOT NULL REFERENCES users(id))"),
        // Every version of every object, with the check-in it came with, and for each version
        // the revision each of its references had when it was saved.
        checkinsTable(QStringLiteral("checkins")),
        QStringLiteral("CREATE TABLE IF NOT EXISTS object_versions (object_id BIGINT NOT NULL "
                       "REFERENCES objects(id), revision INTEGER NOT NULL, title TEXT NOT NULL, "
                       "modified BIGINT NOT NULL, user_id BIGINT NOT NULL REFERENCES users(id), "
                       "checkin_id BIGINT REFERENCES checkins(id), sha256 TEXT NOT NULL "
                       "REFERENCES contents(sha256), size BIGINT NOT NULL, "
                       "PRIMARY KEY (object_id, revision))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS object_versions_sha ON object_versions "
                       "(sha256)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS version_references (object_id BIGINT NOT "
                       "NULL, revision INTEGER NOT NULL, child_id BIGINT NOT NULL REFERENCES "
                       "objects(id), child_revision INTEGER NOT NULL, PRIMARY KEY (object_id, "
                       "revision, child_id), FOREIGN KEY (object_id, revision) REFERENCES "
                       "object_versions (object_id, revision))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS version_references_child ON "
                       "version_references (child_id)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS autonames (name TEXT PRIMARY KEY, "
                       "issued_to BIGINT NOT NULL REFERENCES users(id), used INTEGER NOT NULL "
                       "DEFAULT 0)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS counters (name TEXT PRIMARY KEY, "
                       "value BIGINT NOT NULL)"),
        // Resumable uploads: the bytes that arrived, in pieces as they came, until a check-in
        // takes them or they expire.
        QStringLiteral("CREATE TABLE IF NOT EXISTS uploads (id TEXT PRIMARY KEY, user_id BIGINT "
                       "NOT NULL REFERENCES users(id), size BIGINT NOT NULL, sha256 TEXT NOT "
                       "NULL, created_at BIGINT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS upload_pieces (upload_id TEXT NOT NULL "
                       "REFERENCES uploads(id), start BIGINT NOT NULL, length BIGINT NOT NULL, "
                       "data %1 NOT NULL, PRIMARY KEY (upload_id, start))").arg(blob),
        // An upload announced as chunks: each chunk of the file in order, and whether the
        // platform still needs its bytes.
        QStringLiteral("CREATE TABLE IF NOT EXISTS upload_chunks (upload_id TEXT NOT NULL "
                       "REFERENCES uploads(id), seq INTEGER NOT NULL, chunk TEXT NOT NULL, "
                       "size BIGINT NOT NULL, needed INTEGER NOT NULL, PRIMARY KEY (upload_id, "
                       "seq))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS upload_chunks_chunk ON upload_chunks (chunk)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS sign_in_failures (key TEXT PRIMARY KEY, "
                       "failures INTEGER NOT NULL, last_at BIGINT NOT NULL)"),
        // What happened to objects, for the event stream; numbers are never given twice, not
        // even once every event is pruned.
        QStringLiteral("CREATE TABLE IF NOT EXISTS events (seq %1, created_at BIGINT NOT NULL, "
                       "kind TEXT NOT NULL, space_id BIGINT NOT NULL, phid TEXT NOT NULL, "
                       "name TEXT NOT NULL, title TEXT NOT NULL, revision INTEGER NOT NULL, "
                       "modified BIGINT NOT NULL, user_login TEXT NOT NULL, locked_by TEXT NOT "
                       "NULL, comment TEXT NOT NULL)")
            .arg(shownIdType()),
        QStringLiteral("CREATE INDEX IF NOT EXISTS events_created ON events (created_at)"),
        // Every write, kept for as long as the database: who did what to which object, when and
        // from where. Names rather than ids, so that the trail outlives what it names.
        QStringLiteral("CREATE TABLE IF NOT EXISTS audit (seq %1, created_at BIGINT NOT NULL, "
                       "action TEXT NOT NULL, user_login TEXT NOT NULL, address TEXT NOT NULL, "
                       "space TEXT NOT NULL, object_name TEXT NOT NULL, title TEXT NOT NULL, "
                       "revision INTEGER NOT NULL, detail TEXT NOT NULL)")
            .arg(shownIdType()),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_created ON audit (created_at)"),
        // What a keyed check-in answered, for its retries.
        QStringLiteral("CREATE TABLE IF NOT EXISTS checkin_keys (user_id BIGINT NOT NULL "
                       "REFERENCES users(id), key TEXT NOT NULL, created_at BIGINT NOT NULL, "
                       "answer TEXT NOT NULL, PRIMARY KEY (user_id, key))"),
        // The title block attribute tags each drawing property is read from, in order of
        // preference, separated by spaces; a property without a row has the default tags.
        QStringLiteral("CREATE TABLE IF NOT EXISTS titleblock_tags (tenant_id BIGINT NOT NULL "
                       "REFERENCES tenants(id), property TEXT NOT NULL, tags TEXT NOT NULL, "
                       "PRIMARY KEY (tenant_id, property))"),
    };
    // Before anything changes: a newer platform's database is left as it is.
    refuseNewerSchema();
    numberCheckInsOnce();
    Transaction transaction;
    // Processes starting together on one database create the schema one after the other.
    lockKey(QStringLiteral("schema"));
    refuseNewerSchema();
    const bool versioned = connection().tables().contains(QStringLiteral("object_versions"));
    for (const QString &statement : statements)
        runUnprepared(statement);
    // Members made before roles were known may write, as they could then.
    addColumnOnce(QStringLiteral("memberships"), QStringLiteral("role"),
                  QStringLiteral("TEXT NOT NULL DEFAULT 'editor'"));
    // A deleted object waits in the trash: when it was deleted, and by whom.
    addColumnOnce(QStringLiteral("objects"), QStringLiteral("trashed_at"),
                  QStringLiteral("BIGINT"));
    addColumnOnce(QStringLiteral("objects"), QStringLiteral("trashed_by"),
                  QStringLiteral("BIGINT REFERENCES users(id)"));
    addDrawingColumns();
    if (!versioned)
        VersionStore::keepCurrentVersions();
    exec(QStringLiteral("INSERT INTO tenants (name, is_default) VALUES (?, 1) "
                        "ON CONFLICT DO NOTHING"),
         {QStringLiteral("default")});
    exec(QStringLiteral("INSERT INTO counters (name, value) VALUES (?, 0) ON CONFLICT DO NOTHING"),
         {QString::fromLatin1(platform::kAutonameCounter)});
    exec(QStringLiteral("INSERT INTO counters (name, value) VALUES (?, ?) ON CONFLICT (name) DO "
                        "UPDATE SET value = excluded.value"),
         {QString::fromLatin1(kSchemaVersionCounter), kSchemaVersion});
    transaction.commit();
    ContentConversion::run();
}

Transaction::Transaction()
{
    Database::runUnprepared(Database::backend() == Database::Backend::Sqlite
                                ? QStringLiteral("BEGIN IMMEDIATE")
                                : QStringLiteral("BEGIN"));
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    QSqlQuery rollback(Database::connection());
    rollback.exec(QStringLiteral("ROLLBACK"));
    rollback.finish();
    // A transaction the disk was too full for leaves the space it could give back given back.
    if (t_diskFull)
        Database::releaseSpace();
}

void Transaction::commit()
{
    Database::runUnprepared(QStringLiteral("COMMIT"));
    m_open = false;
    if (const auto &hook = commitHook())
        hook();
}

std::function<void()> &Transaction::commitHook()
{
    static std::function<void()> hook;
    return hook;
}

void Transaction::setCommitHook(std::function<void()> hook)
{
    commitHook() = std::move(hook);
}
