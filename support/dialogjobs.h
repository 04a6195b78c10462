#pragma once

#include <QObject>

#include <functional>

class AurexJob;
class QWidget;

// The jobs a dialog starts (a search, a details query, a check-in): each runs under a box that
// shows how it goes and cancels it, and is deleted after its result. A child of the dialog;
// main thread.
class DialogJobs : public QObject
{
    Q_OBJECT

public:
    // The box a job runs under: the please-wait box for a call, the transfer progress for a
    // download or a check-in.
    enum Box { PleaseWait, Transfer };

    explicit DialogJobs(QWidget *dialog);

    // Starts job, which this object takes over, and calls done with its result unless the
    // user cancelled it. A dialog not shown yet when its job is cancelled, and deleted when
    // closed, is deleted.
    void run(AurexJob *job, std::function<void()> done, Box box = PleaseWait);
    // A job of the dialog runs.
    bool isBusy() const { return m_running > 0; }

private:
    QWidget *m_dialog;
    int m_running = 0;
};
