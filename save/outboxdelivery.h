#pragma once

#include "outbox.h"
#include "support/aurexjob.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

class AurexPlatform;
class JobSequence;
class RecordList;
class ConflictDialog;
class SaveCheckIn;
class SaveTreeItem;
class ShowAurexTaskPane;

// Sends the saves that wait in the outbox once the user is online again: one check-in per
// save, oldest first, each with the lost-update guard, as the save dialog would have sent it
// then. A sent save leaves the outbox; what the platform refuses stays in it:
// - files someone else changed meanwhile: the user chooses per file in a ConflictDialog (keep
//   mine as a copy, take theirs, overwrite), and the save is sent again as chosen;
// - files someone else holds locked: the save waits and says so, and so do the saves after it.
// Sending stops when the user goes offline again (the save on the way finishes first) or the
// platform goes away; what was not sent waits for the next start(). Main thread; owned by the
// task pane, which starts it when the platform answers.
class OutboxDelivery : public QObject
{
    Q_OBJECT

public:
    // The session outlives the delivery, which sends to its online platform; dialogParent (may
    // be null) gets the dialogs.
    OutboxDelivery(ShowAurexTaskPane *session, QWidget *dialogParent, QObject *parent = nullptr);
    ~OutboxDelivery() override;

    // Sends what waits, unless sending runs already or the user works offline.
    void start();
    bool isRunning() const { return m_running; }
    // How many saves left the outbox in the last sending: delivered, or found delivered.
    int sentCount() const { return m_sent; }
    // What waits in the outbox while nothing is being sent, in a line for the pane: why the
    // oldest save waits, or how many wait; "" when the outbox is empty.
    QString waitingLine() const;
    // How many saves wait in the outbox of the session's tenant.
    int waitingCount() const;
    // Drops every waiting save, unless sending runs; "" when done, else why not.
    QString discardAll();

signals:
    // What sending is doing, in a line for the pane ("Sending save 1 of 2 from the outbox...").
    void progress(const QString &line);
    // Sending ended; line says how ("" when everything was sent).
    void finished(const QString &line);
    // A conflict dialog is shown (open, not executed): tests answer it.
    void conflictAsked(ConflictDialog *dialog);

private:
    // One save: the platform names for its new files (kept in the outbox before anything
    // goes), then the check-in; a refused check-in waits or asks about conflicts.
    void sendNext();
    static void failUnless(JobSequence *flow, const QString &error);
    QList<SaveTreeItem *> unnamedFiles() const;
    AurexJob *reserveNames(const std::shared_ptr<QStringList> &names);
    QString storeNames(const QStringList &names);
    AurexJob *checkIn();
    QString delivered();
    void refused(SaveCheckIn *job);
    // The save stays in the outbox with why, and sending stops.
    void wait(const QString &why);
    void askAboutConflicts(const QList<SaveTreeItem *> &conflicts);
    void resolved(ConflictDialog *dialog);
    void takeTheirs(const QList<SaveTreeItem *> &rows);
    void sendAgain();
    void stop(const QString &line);

    AurexPlatform *m_platform;
    ShowAurexTaskPane *m_session;
    QPointer<QWidget> m_dialogParent;
    QList<Outbox::Entry> m_entries;
    int m_next = 0; // the entry being sent
    int m_sent = 0;
    QString m_tenant; // whose outbox goes: the session's when sending started
    bool m_running = false;
    QPointer<SaveCheckIn> m_checkIn; // of the save being sent
    QTemporaryDir m_previewFolder;
};
