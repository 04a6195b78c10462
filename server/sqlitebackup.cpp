#include "sqlitebackup.h"

#include "database.h"
#include "platformconstants.h"
#include "renumbering.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char kStagingFolderName[] = "restoring";

bool fail(QString *error, const QString &message)
{
    *error = message;
    return false;
}

QString systemError() { return QString::fromLocal8Bit(strerror(errno)); }

// A connection of its own to one database file, for a file the platform does not serve.
class FileConnection
{
public:
    explicit FileConnection(const QString &path)
        : m_name(QStringLiteral("backup-file-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~FileConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    // The first value of the statement's first row; invalid, with the reason in *error, when
    // it failed.
    QVariant value(const QString &sql, QString *error) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (query.exec(sql) && query.next())
            return query.value(0);
        *error = query.lastError().databaseText();
        return QVariant();
    }

private:
    static std::atomic<int> s_counter;
    QString m_name;
};

std::atomic<int> FileConnection::s_counter{0};

// Checks that the file is a sound database of the platform, makes it one self-contained file
// (no write-ahead log beside it) and says what it holds.
bool inspect(const QString &path, const QString &shownName, QString *summary, QString *error)
{
    const FileConnection file(path);
    QString problem;
    const QString check = file.value(QStringLiteral("PRAGMA quick_check"), &problem).toString();
    if (check != QLatin1String("ok")) {
        return fail(error, QStringLiteral("%1 is not a sound platform backup: %2")
                               .arg(shownName, problem.isEmpty() ? check : problem));
    }
    const int platformTables =
        file.value(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                                  "name IN ('objects', 'users', 'counters')"),
                   &problem)
            .toInt();
    if (platformTables != 3)
        return fail(error, QStringLiteral("%1 is not a backup of the platform").arg(shownName));
    if (file.value(QStringLiteral("PRAGMA journal_mode=DELETE"), &problem).toString()
        != QLatin1String("delete"))
        return fail(error, QStringLiteral("cannot finish %1: %2").arg(shownName, problem));
    const qint64 objects = file.value(QStringLiteral("SELECT COUNT(*) FROM objects"), &problem)
                               .toLongLong();
    const qint64 versions =
        file.value(QStringLiteral("SELECT COUNT(*) FROM object_versions"), &problem).toLongLong();
    const qint64 bytes =
        file.value(QStringLiteral("SELECT COALESCE(SUM(size), 0) FROM contents"), &problem)
            .toLongLong();
    *summary = QStringLiteral("%1 objects, %2 versions, %3 bytes of contents")
                   .arg(objects)
                   .arg(versions)
                   .arg(bytes);
    return true;
}

// The file's bytes, and then its folder's entry, are on the disk before anyone relies on them.
bool syncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool moveIntoPlace(const QString &from, const QString &to, QString *error)
{
    if (!syncToDisk(from) || std::rename(QFile::encodeName(from).constData(),
                                         QFile::encodeName(to).constData())
                                 != 0)
        return fail(error, QStringLiteral("cannot write %1: %2").arg(to, systemError()));
    syncToDisk(QFileInfo(to).absolutePath());
    return true;
}

} // namespace

bool SqliteBackup::create(const QString &target, QString *report, QString *error)
{
    const QFileInfo info(target);
    if (info.isDir())
        return fail(error, QStringLiteral("%1 is a folder; name the backup file").arg(target));
    // Made beside the target, so that moving it into place is a rename; readable by its owner
    // only, since it holds everyone's password hashes.
    QTemporaryFile part(info.absoluteFilePath() + QStringLiteral(".XXXXXX.part"));
    if (!part.open())
        return fail(error, QStringLiteral("cannot write in %1: %2")
                               .arg(info.absolutePath(), part.errorString()));
    // One read transaction copies the database as it stood when the copy began: check-ins
    // committed before are in it whole, later ones not at all, and the platform goes on
    // serving meanwhile (writers are not held up by readers of a write-ahead log).
    QSqlQuery vacuum(Database::connection());
    if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?"))) {
        return fail(error, QStringLiteral("cannot back up: %1")
                               .arg(vacuum.lastError().databaseText()));
    }
    vacuum.addBindValue(part.fileName());
    if (!vacuum.exec()) {
        return fail(error, QStringLiteral("cannot back up to %1: %2")
                               .arg(target, vacuum.lastError().databaseText()));
    }
    QString summary;
    if (!inspect(part.fileName(), target, &summary, error)
        || !moveIntoPlace(part.fileName(), info.absoluteFilePath(), error))
        return false;
    part.setAutoRemove(false);
    *report = QStringLiteral("backed up %1 to %2").arg(summary, target);
    return true;
}

bool SqliteBackup::restore(const QString &source, const QString &dataDir, qint64 margin,
                           QString *report, QString *error)
{
    QDir folder(dataDir);
    const QStringList present =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!present.isEmpty()) {
        return fail(error, QStringLiteral("the data folder %1 is not empty (it holds %2): "
                                          "restore only into a new or empty folder")
                               .arg(QDir::toNativeSeparators(folder.absolutePath()),
                                    present.mid(0, 3).join(QLatin1String(", "))));
    }
    if (!QFileInfo(source).isFile())
        return fail(error, QStringLiteral("there is no backup file %1").arg(source));

    // The database is prepared under a folder of its own and appears in the data folder only
    // once it is complete, so that a restore that fails leaves the folder empty.
    const QString staging = folder.filePath(QLatin1String(kStagingFolderName));
    const QString staged = QDir(staging).filePath(QLatin1String(platform::kSqliteFileName));
    const auto cleanUp = [&staging] { QDir(staging).removeRecursively(); };
    if (!folder.mkdir(QLatin1String(kStagingFolderName)) || !QFile::copy(source, staged)) {
        cleanUp();
        return fail(error, QStringLiteral("cannot copy %1 into %2").arg(source, dataDir));
    }
    QFile::setPermissions(staged, QFile::ReadOwner | QFile::WriteOwner);
    QString summary;
    if (!inspect(staged, source, &summary, error)) {
        cleanUp();
        return false;
    }
    QString next;
    try {
        QString configureError;
        if (!Database::configure(staging, QString(), &configureError))
            throw ApiError(500, configureError);
        // A backup of an older platform gains what this one stores.
        Database::createSchema();
        next = Renumbering::skipPast(margin);
        Database::disconnect();
    } catch (const ApiError &failure) {
        Database::disconnect();
        cleanUp();
        return fail(error, QStringLiteral("cannot restore %1: %2")
                               .arg(source, QString::fromStdString(failure.what())));
    }
    const bool placed = moveIntoPlace(
        staged, folder.filePath(QLatin1String(platform::kSqliteFileName)), error);
    cleanUp();
    if (!placed)
        return false;
    *report = QStringLiteral("restored %1 from %2 into %3; automatic names continue at %4, "
                             "check-in and event numbers %5 past the backup's")
                  .arg(summary, source, QDir::toNativeSeparators(folder.absolutePath()), next)
                  .arg(margin);
    return true;
}
