#pragma once

#include "workingcopy/processfilelock.h"

#include <QString>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Another program holding a lock file, as a second host would: a forked process takes the lock
// and keeps it until kill(). Killed, it stays unreaped until destruction, as a process whose
// parent has not looked yet: a lock tied to a running process id would still count as held.
class OtherLockHolder
{
public:
    explicit OtherLockHolder(const QString &lockFilePath)
    {
        ProcessFileLock lock(lockFilePath);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const char taken = lock.tryLock(QDeadlineTimer(5000)) ? 'y' : 'n';
            (void)!::write(ready[1], &taken, 1);
            ::pause();
            ::_exit(0);
        }
        char taken = 0;
        m_holds = m_pid > 0 && ::read(ready[0], &taken, 1) == 1 && taken == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~OtherLockHolder()
    {
        kill();
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    OtherLockHolder(const OtherLockHolder &) = delete;
    OtherLockHolder &operator=(const OtherLockHolder &) = delete;

    // Whether the other process took the lock.
    bool holds() const { return m_holds; }
    // Kills it at once (SIGKILL), leaving it unreaped.
    bool kill()
    {
        const bool killed = m_pid > 0 && !m_killed && ::kill(m_pid, SIGKILL) == 0;
        m_killed = m_killed || killed;
        return killed;
    }

private:
    pid_t m_pid = -1;
    bool m_holds = false;
    bool m_killed = false;
};
