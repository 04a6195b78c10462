#include "aurexplatform.h"

#include <QCoreApplication>

QString AurexPlatform::noAnswerText()
{
    return failureText(
        unreachableText(QCoreApplication::translate("AurexPlatform", "it did not answer")));
}

QString AurexPlatform::failureText(const QString &refused)
{
    const QString certificate = certificateProblem();
    if (!certificate.isEmpty())
        return untrustedText(certificate);
    const QString reason = unreachableReason();
    return reason.isEmpty() ? refused : unreachableText(reason);
}

QString AurexPlatform::untrustedText(const QString &reason)
{
    return QCoreApplication::translate("AurexPlatform",
                                       "The AUREX Platform's certificate is not trusted: %1.")
        .arg(reason);
}

QString AurexPlatform::unreachableText(const QString &reason)
{
    return QCoreApplication::translate("AurexPlatform", "The AUREX Platform cannot be reached: %1.")
        .arg(reason);
}
