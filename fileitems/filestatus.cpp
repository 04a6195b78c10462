#include "filestatus.h"

#include "connector/platformstamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QPixmap>

namespace {
const char kContext[] = "FileStatus";
constexpr int kStatusIconSize = 20;

const char *statusIcon(int status)
{
    switch (status) {
    case FileStatusNew: return ":/embedded/UI/Resources/FzxUiFileStatusNew.png";
    case FileStatusModifiedLocally: return ":/embedded/UI/Resources/FzxUiFileStatusModified.png";
    case FileStatusCurrent: return ":/embedded/UI/Resources/FzxUiFileStatusUnchanged.png";
    case FileStatusOutOfDate: return ":/embedded/UI/Resources/FzxUiStatusOutofDate.png";
    case FileStatusSyncing: return ":/embedded/UI/Resources/FzxUiStatusSyncing.png";
    default: return nullptr;
    }
}
} // namespace

QPixmap fileStatusPixmap(int status)
{
    const char *icon = statusIcon(status);
    if (!icon)
        return QPixmap();
    // Every row and tile shows one of these few icons: each is scaled once.
    static QHash<int, QPixmap> scaled;
    auto known = scaled.find(status);
    if (known == scaled.end())
        known = scaled.insert(status, QPixmap(QLatin1String(icon))
                                          .scaled(kStatusIconSize, kStatusIconSize,
                                                  Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return known.value();
}

QString fileStatusText(int status)
{
    switch (status) {
    case FileStatusNew: return QCoreApplication::translate(kContext, "Status: New file");
    case FileStatusModifiedLocally:
        return QCoreApplication::translate(kContext,
                                           "Status: Changes not saved to collaborative space");
    case FileStatusCurrent: return QCoreApplication::translate(kContext, "Status: Current");
    case FileStatusOutOfDate:
        return QCoreApplication::translate(kContext, "Status: Collaborative space has newer file");
    case FileStatusSyncing: return QCoreApplication::translate(kContext, "Status: Syncing...");
    default: return QString();
    }
}

QString lockIconPath(int lockState)
{
    switch (lockState) {
    case LockedByMe: return QStringLiteral(":/embedded/UI/Resources/FzxAsLockedByUserComponentIcon.png");
    case LockedByOther: return QStringLiteral(":/embedded/UI/Resources/FzxAsLockedByOtherComponentIcon.png");
    case LockSyncing: return QStringLiteral(":/embedded/UI/Resources/FzxUiStatusSyncing.png");
    default: return QString();
    }
}

int lockStateFor(const QString &lockedBy, const QString &currentUser)
{
    if (lockedBy.isEmpty())
        return NotLocked;
    return lockedBy == currentUser ? LockedByMe : LockedByOther;
}

QString lockOwnerMessage(const QString &owner)
{
    return QCoreApplication::translate(kContext,
                                       "File is locked by %1\nOnly %1 can upload modifications "
                                       "until the\nfile is unlocked.")
        .arg(owner);
}

QString fileDetailsText(const QString &fileName, const QString &platformStamp,
                        const QString &collaborativeSpace)
{
    if (collaborativeSpace.isEmpty())
        return fileName;
    const QDateTime modified = parsePlatformStamp(platformStamp).toLocalTime();
    return fileName + QLatin1Char('\n')
        + QCoreApplication::translate(kContext, "Last Modification Date: ")
        + QLocale::system().toString(modified, QLocale::ShortFormat) + QLatin1Char('\n')
        + collaborativeSpace;
}

qint64 platformStampMSecs(const QString &platformStamp)
{
    const QDateTime modified = parsePlatformStamp(platformStamp);
    return modified.isValid() ? modified.toMSecsSinceEpoch() : 0;
}
