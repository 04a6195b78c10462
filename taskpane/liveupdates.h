#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class DialogJobs;
class JobSequence;
class NewerVersionBar;
class ShowAurexTaskPane;
class TaskPaneModel;
class QWidget;
struct DownloadReport;
struct PlatformEvent;

// What colleagues do to the active drawing's files, as the pane shows it while they do it: an
// event for a listed file changes its row's status and lock (through the model) and is said on
// the command line ("bob locked deck.dwg."); a newer version of one of them shows the bar,
// whose Reload brings the newer files down (local changes kept aside, as a download does) and
// opens the drawing again; a row's "Get Latest" does the same for its file alone. Events were missed: the pane lists everything again. Owned by the
// pane; main thread.
class LiveUpdates : public QObject
{
    Q_OBJECT

public:
    // The session and model outlive this; pane shows the bar and the reload's progress.
    LiveUpdates(ShowAurexTaskPane *session, TaskPaneModel *model, NewerVersionBar *bar,
                QWidget *pane);

    // Platform names of the files with a newer version not brought down yet.
    QStringList newerFiles() const { return m_newer; }
    // Brings the platform's latest version of the listed file of that name down (local
    // changes kept aside) and opens the drawing again; nothing while a reload runs.
    void getLatest(const QString &name);

signals:
    // The pane is to list the active drawing's files again.
    void refreshWanted();
    // A reload or a Get Latest ended; "" when it went well, else why not.
    void reloaded(const QString &problem);

private:
    void eventArrived(const PlatformEvent &event);
    void reload();
    // Brings the listed files of those names down and opens the drawing again; doneLine says
    // on the command line what came.
    void bringDown(const QStringList &names,
                   const std::function<QString(const DownloadReport &)> &doneLine);

    ShowAurexTaskPane *m_session;
    TaskPaneModel *m_model;
    NewerVersionBar *m_bar;
    DialogJobs *m_jobs;
    QPointer<JobSequence> m_reloading;
    QStringList m_newer;
};
