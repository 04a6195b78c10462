#include "outboxdelivery.h"

#include "checkinrecords.h"
#include "conflictdialog.h"
#include "savecheckin.h"
#include "savelogging.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "open/downloadthread.h"
#include "session/showaurextaskpane.h"
#include "support/hostaccess.h"
#include "support/calljob.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"
#include "workingcopy/workingcopyconstants.h"

#include <fzfileinfo.h>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

OutboxDelivery::OutboxDelivery(ShowAurexTaskPane *session, QWidget *dialogParent,
                               QObject *parent)
    : QObject(parent)
    , m_platform(session->onlinePlatform())
    , m_session(session)
    , m_dialogParent(dialogParent)
{
}

OutboxDelivery::~OutboxDelivery() = default;

void OutboxDelivery::start()
{
    if (m_running || m_session->isOffline() || !m_session->isSignedIn())
        return;
    m_tenant = m_session->tenant();
    Outbox outbox(m_tenant);
    if (!outbox.read(&m_entries)) {
        emit finished(outbox.errorString());
        return;
    }
    if (m_entries.isEmpty())
        return;
    m_running = true;
    m_next = 0;
    m_sent = 0;
    sendNext();
}

QString OutboxDelivery::waitingLine() const
{
    QList<Outbox::Entry> entries;
    if (!Outbox(m_session->tenant()).read(&entries) || entries.isEmpty())
        return QString();
    if (!entries.first().waitingReason.isEmpty())
        return tr("A save waits in the outbox: %1").arg(entries.first().waitingReason);
    return entries.size() == 1 ? tr("1 save waits in the outbox.")
                               : tr("%1 saves wait in the outbox.").arg(entries.size());
}

int OutboxDelivery::waitingCount() const
{
    QList<Outbox::Entry> entries;
    return Outbox(m_session->tenant()).read(&entries) ? entries.size() : 0;
}

QString OutboxDelivery::discardAll()
{
    if (m_running)
        return tr("The outbox is being sent.");
    Outbox outbox(m_session->tenant());
    QList<Outbox::Entry> entries;
    if (!outbox.read(&entries))
        return outbox.errorString();
    for (const Outbox::Entry &entry : qAsConst(entries)) {
        if (!outbox.remove(entry.id))
            return outbox.errorString();
    }
    return QString();
}

void OutboxDelivery::sendNext()
{
    // Signed out, or another tenant's session: this outbox waits for its own.
    if (!m_session->isSignedIn() || m_session->tenant() != m_tenant) {
        stop(QString());
        return;
    }
    if (m_session->isOffline()) {
        const int left = m_entries.size() - m_next;
        stop(left == 1 ? tr("Working offline: 1 save waits in the outbox.")
                       : tr("Working offline: %1 saves wait in the outbox.").arg(left));
        return;
    }
    if (m_next >= m_entries.size()) {
        stop(QString());
        return;
    }
    Outbox::Entry &entry = m_entries[m_next];
    Outbox::refresh(entry, *m_session->workingCopy()->snapshot());
    const QList<SaveTreeItem *> rows = entry.rows->subtree();
    const bool anythingToSend = std::any_of(rows.begin(), rows.end(), CheckInRecords::isSent);
    if (!anythingToSend) {
        // Sent already, before the host was stopped, or nothing changed after all.
        Outbox(m_tenant).remove(entry.id);
        ++m_sent;
        ++m_next;
        sendNext();
        return;
    }
    emit progress(tr("Sending save %1 of %2 from the outbox...").arg(m_next + 1)
                      .arg(m_entries.size()));
    reserveNames();
}

void OutboxDelivery::reserveNames()
{
    Outbox::Entry &entry = m_entries[m_next];
    QList<SaveTreeItem *> unnamed;
    QSet<QString> paths;
    for (SaveTreeItem *row : entry.rows->subtree()) {
        if (row->action == SaveAction::SaveAsNew && row->reservedName.isEmpty()
            && !paths.contains(row->path)) {
            paths.insert(row->path);
            unnamed.append(row);
        }
    }
    if (unnamed.isEmpty()) {
        sendEntry();
        return;
    }
    AurexPlatform *platform = m_platform;
    auto names = std::make_shared<QStringList>();
    const int count = unnamed.size();
    const auto reserve = [platform, names, count](JobControl &) {
        *names = platform->autonames(count);
        return names->size() == count ? QString() : platform->noAnswerText();
    };
    call(reserve, [this, names, unnamed] {
        Outbox::Entry &named = m_entries[m_next];
        for (int i = 0; i < unnamed.size(); ++i) {
            for (SaveTreeItem *row : named.rows->subtree()) {
                if (row->path == unnamed.at(i)->path && row->action == SaveAction::SaveAsNew)
                    row->reservedName = names->at(i);
            }
        }
        // Kept before anything goes: a host stopped while the save is on its way sends it
        // again under the same names.
        Outbox outbox(m_tenant);
        if (!outbox.update(named)) {
            stop(outbox.errorString());
            return;
        }
        sendEntry();
    });
}

void OutboxDelivery::call(const AurexJob::Work &work, const std::function<void()> &then)
{
    auto *job = new CallJob(work, this);
    connect(job, &AurexJob::result, job, &QObject::deleteLater);
    connect(job, &AurexJob::result, this, [this, job, then] {
        if (job->error() != AurexJob::NoError)
            stop(job->errorString());
        else
            then();
    });
    job->start();
}

void OutboxDelivery::sendEntry()
{
    Outbox::Entry &entry = m_entries[m_next];
    auto *job = new SaveCheckIn(m_platform, m_tenant, m_session->currentUser(),
                                m_previewFolder.path(), this);
    job->setRows(*entry.rows, entry.rowsToSave);
    job->setComment(entry.comment);
    connect(job, &AurexJob::result, this, [this, job] { sent(job); });
    connect(job, &AurexJob::result, job, &QObject::deleteLater);
    job->start();
}

void OutboxDelivery::sent(SaveCheckIn *job)
{
    Outbox outbox(m_tenant);
    Outbox::Entry &entry = m_entries[m_next];
    if (job->error() == AurexJob::NoError) {
        if (!outbox.remove(entry.id)) {
            stop(outbox.errorString());
            return;
        }
        HostAccess::writeToCommandLine(tr("From the outbox: %1").arg(job->summary()));
        ++m_sent;
        ++m_next;
        sendNext();
        return;
    }
    // Delivered already by a sending whose answer was lost: recorded now, not sent twice.
    if (job->recordDeliveredAlready(entry.rows.get(), m_tenant) > 0) {
        sendNext();
        return;
    }
    const QStringList reasons = job->explainRefusal(entry.rows.get());
    // One question per file, also for a file the drawings reference twice.
    QList<SaveTreeItem *> conflicts;
    QSet<QString> asked;
    for (SaveTreeItem *row : entry.rows->subtree()) {
        if (!row->changedMessage.isEmpty() && !asked.contains(row->path)) {
            asked.insert(row->path);
            conflicts.append(row);
        }
    }
    if (!conflicts.isEmpty()) {
        askAboutConflicts(conflicts);
        return;
    }
    const QString why = reasons.isEmpty() ? job->errorString()
                                          : reasons.join(QLatin1Char(' '));
    entry.waitingReason = why;
    outbox.update(entry);
    stop(tr("A save waits in the outbox: %1").arg(why));
}

void OutboxDelivery::askAboutConflicts(const QList<SaveTreeItem *> &conflicts)
{
    auto *dialog = new ConflictDialog(conflicts, m_dialogParent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { resolved(dialog); });
    connect(dialog, &QDialog::rejected, this, [this] {
        Outbox::Entry &entry = m_entries[m_next];
        entry.waitingReason = tr("Someone else changed some of its files meanwhile.");
        Outbox(m_tenant).update(entry);
        stop(tr("A save waits in the outbox: %1").arg(entry.waitingReason));
    });
    dialog->open();
    emit conflictAsked(dialog);
}

void OutboxDelivery::resolved(ConflictDialog *dialog)
{
    QList<SaveTreeItem *> theirs;
    QHash<QString, ConflictDialog::Choice> choices;
    const QList<SaveTreeItem *> asked = dialog->rows();
    for (int i = 0; i < asked.size(); ++i)
        choices.insert(asked.at(i)->path, dialog->choice(i));
    for (SaveTreeItem *row : m_entries[m_next].rows->subtree()) {
        const auto choice = choices.constFind(row->path);
        if (choice == choices.constEnd() || row->action == SaveAction::DoNotSave)
            continue;
        row->changedMessage.clear();
        row->hasError = false;
        switch (choice.value()) {
        case ConflictDialog::KeepMineAsCopy:
            row->action = SaveAction::SaveAsNew;
            row->displayName = ConflictDialog::copyTitle(row->displayName,
                                                         m_session->currentUser(),
                                                         QDate::currentDate());
            row->baseStamp.clear();
            break;
        case ConflictDialog::Overwrite:
            // Without the version it is based on, the change replaces whatever is current.
            row->baseStamp.clear();
            break;
        case ConflictDialog::TakeTheirs:
            theirs.append(row);
            break;
        }
    }
    if (theirs.isEmpty())
        sendAgain();
    else
        takeTheirs(theirs);
}

void OutboxDelivery::takeTheirs(const QList<SaveTreeItem *> &rows)
{
    // Their version is asked for by the platform name this computer knows the file under.
    QStringList paths;
    for (const SaveTreeItem *row : rows) {
        if (!paths.contains(row->path))
            paths.append(row->path);
    }
    const QString tenant = m_tenant;
    AurexPlatform *platform = m_platform;
    auto records = std::make_shared<RecordList>();
    const auto ask = [platform, tenant, paths, records](JobControl &) {
        {
            const FileDatabase database(tenant);
            for (const QString &path : paths) {
                const QString name = database.valueWhere(QLatin1String(kAttrPath),
                                                         FileDatabase::keyForPath(path),
                                                         QLatin1String(kAttrName));
                FzFileInfo *request =
                    records->add(makeNameRequest(name, fileTypeForPath(path)));
                setRecordProperty(*request, kKeyLocalDownloadFolder,
                                  QFileInfo(path).absolutePath());
            }
        }
        return platform->details(*records) ? QString() : platform->noAnswerText();
    };
    call(ask, [this, rows, records] {
        auto *download = new DownloadThread(m_platform, HostAccess::appServices(),
                                            HostAccess::documents(), this);
        download->setDownload(std::move(*records), rows.first()->path, m_tenant);
        connect(download, &DownloadThread::DownloadFinished, download, &QObject::deleteLater);
        connect(download, &DownloadThread::downloadReported, this,
                [this, rows](const DownloadReport &report) {
                    if (report.failed) {
                        stop(report.details.join(QLatin1Char(' ')));
                        return;
                    }
                    for (int i = 0; i < report.keptCopies.size(); ++i) {
                        HostAccess::writeToCommandLine(
                            tr("Your changes to %1 were kept in %2.")
                                .arg(QDir::toNativeSeparators(report.replacedLocalFiles.value(i)),
                                     QDir::toNativeSeparators(report.keptCopies.at(i))));
                    }
                    for (SaveTreeItem *row : rows)
                        row->action = SaveAction::DoNotSave;
                    sendAgain();
                });
        download->Download();
    });
}

void OutboxDelivery::sendAgain()
{
    Outbox::Entry &entry = m_entries[m_next];
    entry.waitingReason.clear();
    Outbox outbox(m_tenant);
    // The choices are the user's work too: a host stopped now sends them as chosen.
    if (!outbox.update(entry)) {
        stop(outbox.errorString());
        return;
    }
    sendNext();
}

void OutboxDelivery::stop(const QString &line)
{
    m_running = false;
    if (!line.isEmpty())
        qCInfo(lcSave).noquote() << "outbox:" << line;
    emit finished(line);
}
