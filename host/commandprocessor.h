#pragma once

#include <QObject>
#include <QStringList>

// Runs command lines: a command name followed by its answers ("_ATTACHIMAGE logo.png"), or a
// menu macro ("^C^C_AurexOpen": each ^C cancels, then the command runs). Reports what the
// commands print and unknown names through message(). Main thread only.
class CommandProcessor : public QObject
{
    Q_OBJECT

public:
    explicit CommandProcessor(QObject *parent = nullptr);

    // Runs one line (leading ^C cancels are dropped); returns the command's status, or the
    // command stack's unknown-command value.
    int runLine(const QString &line, bool interactive);
    // Runs a macro from a menu entry or ribbon button.
    int runMacro(const QString &macro);
    // Reports a line as the commands' own messages are reported.
    void report(const QString &text);

    // Whether a status says the command is unknown or could not do what it was asked.
    static bool isFailure(int status);

    // Splits a command line into words; double quotes group words with blanks.
    static QStringList splitWords(const QString &line);

signals:
    void message(const QString &text);
};
