#include "crashreport.h"

#include <csignal>
#include <cstring>

#include <execinfo.h>
#include <unistd.h>

namespace {

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void writeText(const char *text)
{
    const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)written;
}

void report(int signal)
{
    // Only calls that may run in a signal handler: the frames go straight to the descriptor.
    writeText("lintra: fatal signal ");
    writeText(signal == SIGSEGV ? "SIGSEGV"
                  : signal == SIGBUS ? "SIGBUS"
                  : signal == SIGFPE ? "SIGFPE"
                  : signal == SIGILL ? "SIGILL"
                                     : "SIGABRT");
    writeText(", call stack:\n");
    void *frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, STDERR_FILENO);
    // Ends as it would have without the report (core dump included).
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void CrashReport::install()
{
    // The first backtrace loads what it needs; in the handler it must not.
    void *frame = nullptr;
    ::backtrace(&frame, 1);
    for (const int signal : kFatalSignals)
        std::signal(signal, report);
}
