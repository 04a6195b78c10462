#include "terminalinput.h"

#include <QTextStream>

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

TerminalInput::TerminalInput() : m_terminal(::isatty(STDIN_FILENO) == 1) {}

QString TerminalInput::readLine(const QString &prompt, bool echo)
{
    termios saved{};
    const bool hide = m_terminal && !echo && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (m_terminal) {
        QTextStream(stderr) << prompt;
        if (hide) {
            termios silent = saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
    }
    // Read byte by byte from the descriptor, so that nothing past this line is buffered away
    // from the next call.
    std::string line;
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
        line.push_back(c);
    if (hide) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        // The Enter the user typed was not echoed either.
        QTextStream(stderr) << '\n';
    }
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}
