#include "lockjob.h"

#include "connector/aurexplatform.h"

#include <fzfileinfo.h>

LockJob::LockJob(AurexPlatform *platform, std::unique_ptr<FzFileInfo> request, bool lock,
                 const QString &name, QObject *parent)
    : AurexJob(parent)
{
    std::shared_ptr<FzFileInfo> shared(std::move(request));
    setWork([platform, shared, lock, name](JobControl &control) {
        control.setTotals(1, 0);
        control.setCurrentName(name);
        if (platform->lock(shared.get(), lock))
            return QString();
        // Refused, or not answered at all: the platform's own word, or why it is not there.
        QString text = lock ? tr("%1 could not be locked on the collaborative space.").arg(name)
                            : tr("%1 could not be unlocked on the collaborative space.").arg(name);
        const QString refusal = platform->lastRefusal();
        const QString reason = refusal.isEmpty() ? platform->unreachableReason() : QString();
        if (!refusal.isEmpty())
            text += QLatin1Char('\n') + refusal;
        else if (!reason.isEmpty())
            text += QLatin1Char('\n') + AurexPlatform::unreachableText(reason);
        return text;
    });
}
