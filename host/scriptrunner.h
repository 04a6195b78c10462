#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class CommandProcessor;

// Runs a script file, one command per line (";" starts a comment), from the event loop. A
// command that opens a modal dialog does not stall the script: while it waits in the dialog,
// the following lines run inside the dialog's loop, so a script can fill in and press what the
// dialog shows. Otherwise a line starts only once the previous one has returned. "_UIWAIT name
// [seconds]" waits without blocking until the widget is shown, "_UIWAITGONE name [seconds]"
// until no such widget is shown (a dialog has closed), "_UIWAITTEXT text [seconds]" until a
// shown label or button has the text in its text (a status that changes in place). Failures
// are reported and counted; the script goes on. Main thread only.
class ScriptRunner : public QObject
{
    Q_OBJECT

public:
    explicit ScriptRunner(CommandProcessor *processor, QObject *parent = nullptr);

    // Reads the script; false with a message when the file cannot be read.
    bool load(const QString &path, QString *errorMessage);
    // Starts with the first line once the event loop runs; finished() follows the last.
    void start();
    int failureCount() const { return m_failures; }

signals:
    void finished();

private:
    void step();
    void runLine(const QString &line);
    void startWait(const QStringList &arguments);
    // The script command of the wait in progress.
    const char *waitCommand() const;
    void pollWait();
    void fail(const QString &text);

    CommandProcessor *m_processor;
    QStringList m_lines;
    int m_next = 0;
    // Lines started that have not returned yet: more than one only under a modal dialog.
    int m_running = 0;
    int m_failures = 0;
    bool m_done = false;
    QTimer m_timer;
    QString m_waitName;       // the widget _UIWAIT waits for; empty when not waiting
    bool m_waitGone = false;  // waiting for it to go rather than to show
    bool m_waitText = false;  // m_waitName is a text a label or button is to show (or stop showing)
    QString m_waitTip;        // the text the widget's tool tip is to say; empty for any
    double m_waitSeconds = 0;
    QDeadlineTimer m_waitDeadline;
};
