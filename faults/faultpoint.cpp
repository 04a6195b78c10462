#include "faultpoint.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

// What a switched point does, at which of its hits, and how often it was reached so far.
struct Switch
{
    FaultPoint::Outcome outcome;
    int atHit;
    int hits;
};

// The switched points of this process, read from the environment once.
class Switchboard
{
public:
    Switchboard()
    {
        const QString listed = qEnvironmentVariable("AUREX_FAULT_POINTS");
        for (const QString &item : listed.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString name = item.section(QLatin1Char('='), 0, 0).trimmed();
            const QString rest = item.section(QLatin1Char('='), 1).trimmed();
            const QString word = rest.section(QLatin1Char('@'), 0, 0);
            const int atHit = rest.contains(QLatin1Char('@'))
                ? rest.section(QLatin1Char('@'), 1).toInt() : 1;
            if (word == QLatin1String("kill"))
                m_switches.insert(name, Switch{FaultPoint::Outcome::Kill, qMax(1, atHit), 0});
            else if (word == QLatin1String("fail"))
                m_switches.insert(name, Switch{FaultPoint::Outcome::Fail, qMax(1, atHit), 0});
            else
                std::fprintf(stderr, "AUREX_FAULT_POINTS: \"%s\" is neither NAME=kill nor "
                                     "NAME=fail; ignored\n", qPrintable(item));
        }
    }

    FaultPoint::Outcome reached(const char *name)
    {
        if (m_switches.isEmpty()) // never changed after the switchboard is made
            return FaultPoint::Outcome::Pass;
        QMutexLocker locker(&m_mutex);
        const auto found = m_switches.find(QLatin1String(name));
        if (found == m_switches.end() || ++found->hits != found->atHit)
            return FaultPoint::Outcome::Pass;
        return found->outcome;
    }

private:
    QMutex m_mutex;
    QHash<QString, Switch> m_switches;
};

Switchboard &switchboard()
{
    static Switchboard board;
    return board;
}

} // namespace

bool FaultPoint::fails(const char *name)
{
    switch (switchboard().reached(name)) {
    case Outcome::Pass:
        return false;
    case Outcome::Fail:
        std::fprintf(stderr, "fault point %s: fail\n", name);
        std::fflush(stderr);
        return true;
    case Outcome::Kill:
        std::fprintf(stderr, "fault point %s: kill\n", name);
        std::fflush(stderr);
        ::kill(::getpid(), SIGKILL);
        ::_exit(137); // not reached: SIGKILL cannot be caught
    }
    return false;
}

QString FaultPoint::failureText(const char *name)
{
    return QStringLiteral("stopped at fault point %1").arg(QLatin1String(name));
}
