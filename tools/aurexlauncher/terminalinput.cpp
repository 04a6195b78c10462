#include "terminalinput.h"

#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal's settings while a password is typed without echo: a Ctrl-C (or any other end
// by signal) puts them back before the process goes, so the shell does not stay silent.
termios savedSettings{};
volatile std::sig_atomic_t echoHidden = 0;

void restoreAndEnd(int signal)
{
    if (echoHidden)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

TerminalInput::TerminalInput() : m_terminal(::isatty(STDIN_FILENO) == 1) {}

QString TerminalInput::readLine(const QString &prompt, bool echo)
{
    const bool hide = m_terminal && !echo && ::tcgetattr(STDIN_FILENO, &savedSettings) == 0;
    if (m_terminal) {
        QTextStream(stderr) << prompt;
        if (hide) {
            for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
                std::signal(signal, restoreAndEnd);
            termios silent = savedSettings;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            echoHidden = 1;
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
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedSettings);
        echoHidden = 0;
        // The Enter the user typed was not echoed either.
        QTextStream(stderr) << '\n';
    }
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}
