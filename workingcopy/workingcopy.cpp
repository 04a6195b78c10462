#include "workingcopy.h"

#include "filedatabase.h"
#include "workingcopylogging.h"

#include "support/calljob.h"
#include "support/valuejob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

namespace {
// A write renames a temporary file over the database: the folder changes more than once.
constexpr int kSettleMs = 50;
} // namespace

WorkingCopy::WorkingCopy(const QString &tenant, QObject *parent)
    : QObject(parent)
    , m_tenant(tenant)
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &WorkingCopy::read);
    const QString folder = QFileInfo(FileDatabase::locationFor(tenant)).path();
    if (!folder.isEmpty() && QDir().mkpath(folder))
        m_watcher->addPath(folder);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    read();
}

WorkingCopy::~WorkingCopy() = default;

WorkingCopy::FileStamp WorkingCopy::fileStamp() const
{
    struct stat status {};
    if (::stat(QFile::encodeName(FileDatabase::locationFor(m_tenant)).constData(), &status) != 0)
        return FileStamp();
    return FileStamp(status.st_ino, status.st_size, status.st_mtim.tv_sec,
                     status.st_mtim.tv_nsec);
}

std::unique_ptr<FileDatabase> WorkingCopy::snapshot()
{
    const FileStamp now = fileStamp();
    if (!m_read || now != m_snapshotStamp) {
        const FileDatabase database(m_tenant);
        if (database.isAvailable())
            take(database.document(), now);
    }
    return std::make_unique<FileDatabase>(m_snapshot);
}

void WorkingCopy::take(const FileDatabaseDocument &document, const FileStamp &stamp)
{
    m_snapshot = document;
    m_snapshotStamp = stamp;
    m_read = true;
    emit changed();
}

void WorkingCopy::read()
{
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    // The stamp is taken before the read: a change during the read is read again.
    const QString tenant = m_tenant;
    const FileStamp stamp = fileStamp();
    auto *job = new ValueJob<FileDatabaseDocument>([tenant](JobControl &,
                                                            FileDatabaseDocument &document) {
        const FileDatabase database(tenant);
        document = database.document();
        return database.isAvailable() ? QString() : database.errorString();
    }, this);
    // The file database's own reads say nothing of a silent platform.
    job->setNoProgressTimeout(0);
    m_reading = job;
    connect(job, &AurexJob::result, this, [this, job, stamp] {
        job->deleteLater();
        m_reading = nullptr;
        // A file another program keeps is read again on its next change.
        if (job->error() == AurexJob::NoError)
            take(job->value(), stamp);
        if (m_readAgain) {
            m_readAgain = false;
            read();
        }
    });
    job->start();
}

void WorkingCopy::change(std::function<void(FileDatabase &)> edit,
                         std::function<void()> written)
{
    AurexJob *job = changeJob(std::move(edit));
    job->setParent(this);
    connect(job, &AurexJob::result, this, [job, written = std::move(written)] {
        job->deleteLater();
        if (written)
            written();
    });
    job->start();
}

AurexJob *WorkingCopy::changeJob(std::function<void(FileDatabase &)> edit)
{
    const QString tenant = m_tenant;
    auto *job = new CallJob([tenant, edit = std::move(edit)](JobControl &) {
        FileDatabase database(tenant);
        if (!database.isAvailable())
            return database.errorString();
        edit(database);
        return QString();
    });
    job->setNoProgressTimeout(0);
    connect(job, &AurexJob::result, this, [this, job] {
        if (job->error() != AurexJob::NoError)
            qCWarning(lcWorkingCopy).noquote() << "file database not changed:" << job->errorString();
        read();
    });
    return job;
}
