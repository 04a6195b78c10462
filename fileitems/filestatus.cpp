#include "filestatus.h"

#include "connector/platformstamp.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/displaytext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QLocale>
#include <QPixmap>

namespace {
constexpr int kStatusIconSize = 20;

const char *statusIcon(int status)
{
    switch (status) {
    case FileStatusNew: return ":/embedded/UI/Resources/FzxUiFileStatusNew.png";
    case FileStatusModifiedLocally: return ":/embedded/UI/Resources/FzxUiFileStatusModified.png";
    case FileStatusCurrent: return ":/embedded/UI/Resources/FzxUiFileStatusUnchanged.png";
    case FileStatusOutOfDate: return ":/embedded/UI/Resources/FzxUiStatusOutofDate.png";
    case FileStatusSyncing: return ":/embedded/UI/Resources/FzxUiStatusSyncing.png";
    case FileStatusWaiting: return ":/embedded/UI/Resources/FzxUiFileStatusModified.png";
    default: return nullptr;
    }
}
} // namespace

QString platformStampText(const QString &platformStamp)
{
    const QDateTime modified = parsePlatformStamp(platformStamp);
    return modified.isValid()
        ? QLocale::system().toString(modified.toLocalTime(), QLocale::ShortFormat)
        : QString();
}

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
    case FileStatusNew: return QCoreApplication::translate("FileStatus", "Status: New file");
    case FileStatusModifiedLocally:
        return QCoreApplication::translate("FileStatus",
                                           "Status: Changes not saved to collaborative space");
    case FileStatusCurrent: return QCoreApplication::translate("FileStatus", "Status: Current");
    case FileStatusOutOfDate:
        return QCoreApplication::translate("FileStatus",
                                           "Status: Collaborative space has newer file");
    case FileStatusSyncing: return QCoreApplication::translate("FileStatus", "Status: Syncing...");
    case FileStatusWaiting:
        return QCoreApplication::translate("FileStatus", "Status: Waiting to upload");
    case FileStatusEarlierVersion:
        return QCoreApplication::translate("FileStatus",
                                           "Status: An earlier version, opened for viewing");
    default: return QString();
    }
}

QString fileStatusWord(int status)
{
    switch (status) {
    case FileStatusNew: return QCoreApplication::translate("FileStatus", "New");
    case FileStatusModifiedLocally:
        return QCoreApplication::translate("FileStatus", "Changed here");
    case FileStatusCurrent: return QCoreApplication::translate("FileStatus", "Current");
    case FileStatusOutOfDate:
        return QCoreApplication::translate("FileStatus", "Newer on the platform");
    case FileStatusSyncing: return QCoreApplication::translate("FileStatus", "Checking...");
    case FileStatusWaiting: return QCoreApplication::translate("FileStatus", "Waiting to upload");
    case FileStatusEarlierVersion:
        return QCoreApplication::translate("FileStatus", "Earlier version, for viewing");
    default: return QString();
    }
}

QString lockWord(int lockState, const QString &owner)
{
    if (lockState == LockedByMe)
        return QCoreApplication::translate("FileStatus", "Locked by you");
    if (lockState != LockedByOther)
        return QString();
    return owner.isEmpty() ? QCoreApplication::translate("FileStatus", "Locked by someone else")
                           : QCoreApplication::translate("FileStatus", "Locked by %1").arg(owner);
}

QString fileStateLegend()
{
    return QCoreApplication::translate(
        "FileStatus",
        "Current: the platform has this very version.\n"
        "Changed here: saved on this computer since it came from the platform.\n"
        "Newer on the platform: someone saved a later version; open the drawing again to get it.\n"
        "New: not on the platform yet.\n"
        "Waiting to upload: saved while working offline; goes to the platform when you go "
        "online.\n"
        "Earlier version, for viewing: opened from a file's history; it is not saved to the "
        "platform.\n"
        "Locked by you: only you can save changes until you unlock it.\n"
        "Locked by NAME: only NAME can save changes until the file is unlocked.");
}

QFont secondaryFont(const QFont &font)
{
    QFont smaller = font;
    // A font may be set in points or in pixels; the other size then reads as -1.
    if (font.pointSizeF() > 0)
        smaller.setPointSizeF(font.pointSizeF() * 0.85);
    else
        smaller.setPixelSize(qMax(1, font.pixelSize() * 85 / 100));
    return smaller;
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
    return QCoreApplication::translate("FileStatus",
                                       "File is locked by %1\nOnly %1 can upload modifications "
                                       "until the\nfile is unlocked.")
        .arg(owner);
}

QString fileDetailsText(const QString &fileName, const QString &platformStamp,
                        const QString &collaborativeSpace)
{
    if (collaborativeSpace.isEmpty())
        return fileName;
    return fileName + QLatin1Char('\n')
        + QCoreApplication::translate("FileStatus", "Last Modification Date: ")
        + platformStampText(platformStamp) + QLatin1Char('\n') + collaborativeSpace;
}

namespace {

QString joinedParts(const QStringList &parts)
{
    QStringList known;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            known << part;
    }
    return known.join(QStringLiteral(" \u00B7 "));
}

} // namespace

QString drawingCaption(const FzFileInfo &record)
{
    return joinedParts({singleLineText(recordProperty(record, kKeyDrawingNumber)),
                        singleLineText(recordProperty(record, kKeyDrawingTitle))});
}

QString titleBlockText(const FzFileInfo &record)
{
    const QString revision = singleLineText(recordProperty(record, kKeyDrawingRevision));
    const QString sheet = singleLineText(recordProperty(record, kKeyDrawingSheet));
    const QString parts = joinedParts(
        {drawingCaption(record),
         revision.isEmpty() ? QString()
                            : QCoreApplication::translate("FileStatus", "Revision %1")
                                  .arg(revision),
         sheet.isEmpty() ? QString()
                         : QCoreApplication::translate("FileStatus", "Sheet %1").arg(sheet)});
    return parts.isEmpty() ? QString()
                           : QCoreApplication::translate("FileStatus", "Title block: %1")
                                 .arg(parts);
}

QString versionStoryText(const QString &revision, const QString &user,
                         const QString &platformStamp, const QString &comment)
{
    if (revision.isEmpty())
        return QString();
    const QString who = singleLineText(user);
    const QString when = platformStampText(platformStamp);
    QString story = who.isEmpty() || when.isEmpty()
        ? QCoreApplication::translate("FileStatus", "Version %1").arg(revision)
        : QCoreApplication::translate("FileStatus", "Version %1, saved by %2 on %3")
              .arg(revision, who, when);
    const QString firstLine = firstLineText(comment);
    return firstLine.isEmpty() ? story : story + QLatin1Char('\n') + firstLine;
}

QString fileToolTipText(const QString &detailsText, const QString &versionStory)
{
    return versionStory.isEmpty() ? detailsText : detailsText + QLatin1Char('\n') + versionStory;
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 0)
        return QString();
    return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

qint64 platformStampMSecs(const QString &platformStamp)
{
    const QDateTime modified = parsePlatformStamp(platformStamp);
    return modified.isValid() ? modified.toMSecsSinceEpoch() : 0;
}
