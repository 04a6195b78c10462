#include "aurexplatform.h"

#include <QCoreApplication>

QString AurexPlatform::noAnswerText()
{
    QString reason = unreachableReason();
    if (reason.isEmpty())
        reason = QCoreApplication::translate("AurexPlatform", "it did not answer");
    return unreachableText(reason);
}

QString AurexPlatform::failureText(const QString &refused)
{
    const QString reason = unreachableReason();
    return reason.isEmpty() ? refused : unreachableText(reason);
}

QString AurexPlatform::unreachableText(const QString &reason)
{
    return QCoreApplication::translate("AurexPlatform", "The AUREX Platform cannot be reached: %1.")
        .arg(reason);
}
