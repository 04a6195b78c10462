#include "outboxdelivery.h"

#include "checkinrecords.h"
#include "conflictdialog.h"
#include "savecheckin.h"
#include "savelogging.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "faults/faultpoint.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "open/downloadthread.h"
#include "open/latestversions.h"
#include "session/showaurextaskpane.h"
#include "support/hostaccess.h"
#include "support/calljob.h"
#include "support/jobsequence.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"
#include "workingcopy/workingcopyconstants.h"

#include <fzfileinfo.h>

#include <QDate>
#include <QDir>
#include <QHash>
#include <QSet>
#include <QTimer>

namespace {
// How long sending waits before it tries again an outbox that another program held.
constexpr int kBusyRetryMs = 10000;
} // namespace

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
        // Another program sending or saving holds it: tried again after a while, for as long
        // as this session lasts, never given up for the run.
        if (outbox.wasBusy())
            QTimer::singleShot(kBusyRetryMs, this, &OutboxDelivery::start);
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
    if (std::none_of(rows.begin(), rows.end(), CheckInRecords::isSent)) {
        // Sent already, before the host was stopped, or nothing changed after all.
        Outbox(m_tenant).remove(entry.id);
        ++m_sent;
        ++m_next;
        sendNext();
        return;
    }
    emit progress(tr("Sending save %1 of %2 from the outbox...").arg(m_next + 1)
                      .arg(m_entries.size()));

    auto *flow = new JobSequence(this);
    auto names = std::make_shared<QStringList>();
    flow->step([this, names] { return reserveNames(names); },
               [this, flow, names] { failUnless(flow, storeNames(*names)); })
        .transfer([this] { return checkIn(); },
                  [this, flow] { failUnless(flow, delivered()); });
    connect(flow, &JobSequence::finished, this, [this](JobSequence *ended) {
        ended->deleteLater();
        if (ended->error() == AurexJob::NoError)
            sendNext();
        else if (ended->failedJob() && ended->failedJob() == m_checkIn)
            refused(m_checkIn);
        else
            stop(ended->errorString());
    });
    flow->start();
}

void OutboxDelivery::failUnless(JobSequence *flow, const QString &error)
{
    if (!error.isEmpty())
        flow->fail(error);
}

QList<SaveTreeItem *> OutboxDelivery::unnamedFiles() const
{
    // One name per file, also for a file the drawings reference twice.
    QList<SaveTreeItem *> unnamed;
    QSet<QString> paths;
    for (SaveTreeItem *row : m_entries.at(m_next).rows->subtree()) {
        if (row->action == SaveAction::SaveAsNew && row->reservedName.isEmpty()
            && !paths.contains(row->path)) {
            paths.insert(row->path);
            unnamed.append(row);
        }
    }
    return unnamed;
}

AurexJob *OutboxDelivery::reserveNames(const std::shared_ptr<QStringList> &names)
{
    const int count = unnamedFiles().size();
    if (count == 0)
        return nullptr;
    AurexPlatform *platform = m_platform;
    return new CallJob([platform, names, count](JobControl &) {
        *names = platform->autonames(count);
        return names->size() == count ? QString() : platform->noAnswerText();
    });
}

QString OutboxDelivery::storeNames(const QStringList &names)
{
    if (names.isEmpty())
        return QString();
    Outbox::Entry &entry = m_entries[m_next];
    const QList<SaveTreeItem *> unnamed = unnamedFiles();
    for (int i = 0; i < unnamed.size(); ++i) {
        for (SaveTreeItem *row : entry.rows->subtree()) {
            if (row->path == unnamed.at(i)->path && row->action == SaveAction::SaveAsNew)
                row->reservedName = names.at(i);
        }
    }
    // Kept before anything goes: a host stopped while the save is on its way sends it again
    // under the same names.
    Outbox outbox(m_tenant);
    return outbox.update(entry) ? QString() : outbox.errorString();
}

AurexJob *OutboxDelivery::checkIn()
{
    const Outbox::Entry &entry = m_entries.at(m_next);
    m_checkIn = new SaveCheckIn(m_platform, m_tenant, m_session->currentUser(),
                                m_previewFolder.path());
    m_checkIn->setRows(*entry.rows, entry.rowsToSave);
    m_checkIn->setComment(entry.comment);
    m_checkIn->setKey(entry.key);
    return m_checkIn;
}

QString OutboxDelivery::delivered()
{
    if (FaultPoint::fails("outbox.sent"))
        return FaultPoint::failureText("outbox.sent");
    Outbox outbox(m_tenant);
    if (!outbox.remove(m_entries.at(m_next).id))
        return outbox.errorString();
    if (FaultPoint::fails("outbox.removed"))
        return FaultPoint::failureText("outbox.removed");
    HostAccess::writeToCommandLine(tr("From the outbox: %1").arg(m_checkIn->summary()));
    ++m_sent;
    ++m_next;
    return QString();
}

void OutboxDelivery::refused(SaveCheckIn *job)
{
    Outbox::Entry &entry = m_entries[m_next];
    // Delivered already by a sending whose answer was lost: recorded now, not sent twice.
    if (job->markDeliveredAlready(entry.rows.get()) > 0) {
        HostAccess::writeToCommandLine(
            tr("From the outbox: the AUREX Platform had received this save already; it is "
               "recorded now."));
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
    wait(reasons.isEmpty() ? job->errorString() : reasons.join(QLatin1Char(' ')));
}

void OutboxDelivery::wait(const QString &why)
{
    Outbox::Entry &entry = m_entries[m_next];
    entry.waitingReason = why;
    Outbox(m_tenant).update(entry);
    stop(tr("A save waits in the outbox: %1").arg(why));
}

void OutboxDelivery::askAboutConflicts(const QList<SaveTreeItem *> &conflicts)
{
    auto *dialog = new ConflictDialog(conflicts, m_dialogParent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { resolved(dialog); });
    connect(dialog, &QDialog::rejected, this,
            [this] { wait(tr("Someone else changed some of its files meanwhile.")); });
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
    // Their version is asked for by the platform name this computer knows the file under, and
    // comes down as a download would bring it, keeping mine aside; those rows are then left out
    // of the save, which goes again.
    const std::unique_ptr<FileDatabase> database = m_session->workingCopy()->snapshot();
    QList<QPair<QString, QString>> copies;
    QStringList paths;
    for (const SaveTreeItem *row : rows) {
        if (paths.contains(row->path))
            continue;
        paths.append(row->path);
        copies.append({row->path, database->entryAttribute(FileDatabase::keyForPath(row->path),
                                                           QLatin1String(kAttrName))});
    }
    auto *flow = new JobSequence(this);
    addLatestVersionSteps(flow, m_platform, copies, rows.first()->path, m_tenant,
                          [rows](DownloadThread &download) {
                              for (const QString &line : download.report().keptCopyLines())
                                  HostAccess::writeToCommandLine(line);
                              for (SaveTreeItem *row : rows)
                                  row->action = SaveAction::DoNotSave;
                          });
    connect(flow, &JobSequence::finished, this, [this](JobSequence *ended) {
        ended->deleteLater();
        const QString problem = latestVersionsProblem(*ended);
        if (problem.isEmpty())
            sendAgain();
        else
            stop(problem);
    });
    flow->start();
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
