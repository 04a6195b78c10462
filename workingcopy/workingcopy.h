#pragma once

#include "filedatabasedocument.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <tuple>

class AurexJob;
class FileDatabase;
class QFileSystemWatcher;
class QTimer;

// The file database of one tenant as a service of the host's thread: read on a job into a
// snapshot that the dialogs and the pane read without waiting for the file's lock or parsing
// it, read again whenever the file changes on disk (a change of this process, of another host
// or of another program), and changed on a job, which locks, reads, changes and writes the
// file whole as every other use of it does; the file's format does not change. Main thread.
class WorkingCopy : public QObject
{
    Q_OBJECT

public:
    explicit WorkingCopy(const QString &tenant, QObject *parent = nullptr);
    ~WorkingCopy() override;

    QString tenant() const { return m_tenant; }
    // The database as the file holds it, read-only: the snapshot, which is read again here and
    // now only when the file changed since and the job has not caught up yet.
    std::unique_ptr<FileDatabase> snapshot();
    // The first read has come.
    bool isRead() const { return m_read; }
    // Runs edit on a job against the file; changed() follows once the snapshot has it. written
    // (main thread) follows the write, whether it went or not.
    void change(std::function<void(FileDatabase &)> edit,
                std::function<void()> written = std::function<void()>());
    // The same change as a job not started yet, for a flow that goes on once it is written;
    // changed() follows as for change().
    AurexJob *changeJob(std::function<void(FileDatabase &)> edit);

signals:
    // A new snapshot.
    void changed();

private:
    // What tells one version of the file from another: inode, size and modification time.
    using FileStamp = std::tuple<quint64, qint64, qint64, qint64>;
    FileStamp fileStamp() const;
    // Reads the file again on a job, unless a read runs: then once more after it.
    void read();
    void take(const FileDatabaseDocument &document, const FileStamp &stamp);

    QString m_tenant;
    FileDatabaseDocument m_snapshot;
    FileStamp m_snapshotStamp; // of the file the snapshot was read from
    bool m_read = false;
    QPointer<AurexJob> m_reading;
    bool m_readAgain = false;
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle; // gathers the notices of one write into one read
};
