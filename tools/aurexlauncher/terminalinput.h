#pragma once

#include <QString>

// Lines typed by the user: from the terminal with a prompt (a password without echo), or, when
// the standard input is not a terminal, the next line a script or test feeds. One per process,
// on the main thread.
class TerminalInput
{
public:
    TerminalInput();

    bool isTerminal() const { return m_terminal; }
    // The next line without its line end; prompt goes to standard error, and only on a terminal.
    // Empty at the end of the input.
    QString readLine(const QString &prompt, bool echo);

private:
    bool m_terminal;
};
