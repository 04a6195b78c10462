#pragma once

#include <QString>

class FzFileInfo;
class QFont;
class QPixmap;

// The status of a listed file against the collaborative space: the file database's
// LocalFileStatus values (0 to 3) followed by the lists' own two.
enum FileStatusCode {
    FileStatusNew = 0,
    FileStatusModifiedLocally = 1,
    FileStatusCurrent = 2,
    FileStatusOutOfDate = 3,
    FileStatusUnknown = 4, // no details known: nothing is shown
    FileStatusSyncing = 5, // details asked for, not arrived yet
    FileStatusWaiting = 6, // saved while offline, waits in the outbox to be sent
    FileStatusEarlierVersion = 7, // part of an earlier version opened for viewing from a history
};

// Who holds a listed file's lock on the platform.
enum LockState {
    LockedByMe = 1,
    LockedByOther = 2,
    NotLocked = 3,
    LockSyncing = 4,
};

// The icon of a status, scaled to 20 x 20; empty for FileStatusUnknown.
QPixmap fileStatusPixmap(int status);
// The tool tip of a status ("Status: Current"); empty for FileStatusUnknown.
QString fileStatusText(int status);
// The status in a few words for the lists ("Newer on the platform"); empty for
// FileStatusUnknown.
QString fileStatusWord(int status);
// Who holds a lock in a few words: "Locked by you", "Locked by bob" (owner), or empty when the
// file is not locked.
QString lockWord(int lockState, const QString &owner);
// What the lists' status words and icons mean, one per line: the lists' legend.
QString fileStateLegend();
// The font of the lists' second lines (state words, grid captions): font, a little smaller.
QFont secondaryFont(const QFont &font);
// The resource of a lock state's icon; empty for NotLocked.
QString lockIconPath(int lockState);
// The lock state of a file whose "_LockedBy" is lockedBy, seen by currentUser.
int lockStateFor(const QString &lockedBy, const QString &currentUser);
// The tool tip of a lock icon: who holds the lock and what that means.
QString lockOwnerMessage(const QString &owner);

// A file size as the lists show it ("12.3 KB"); empty for a negative size.
QString fileSizeText(qint64 bytes);

// The details text of a file: its name, then the platform stamp in the system's short local
// form and the collaborative space, each on its own line; the name alone without a space.
QString fileDetailsText(const QString &fileName, const QString &platformStamp,
                        const QString &collaborativeSpace);
// What a drawing's title block says, in one line under its name: "BR-204-S · Deck, general
// arrangement" (drawing number and title, either alone when the other is not known); "" when
// the record carries neither.
QString drawingCaption(const FzFileInfo &record);
// The same for a tool tip, with the revision and sheet: "Title block: BR-204-S · Deck · Revision
// C · Sheet 2"; "" when the record carries none of them.
QString titleBlockText(const FzFileInfo &record);
// What the lists' tool tips tell of a file's version on the platform: "Version N, saved by USER
// on DATE", then, on a line of its own, the first line of its comment, made safe to show; ""
// when the revision is not known.
QString versionStoryText(const QString &revision, const QString &user,
                         const QString &platformStamp, const QString &comment);
// The tool tip of a listed file: its details text, then its version story when there is one.
QString fileToolTipText(const QString &detailsText, const QString &versionStory);
// A platform stamp in the system's short local date and time form; empty when the text is not
// a stamp.
QString platformStampText(const QString &platformStamp);
// A platform stamp as milliseconds since the epoch, the lists' modification sort key; 0 when
// the text is not a stamp.
qint64 platformStampMSecs(const QString &platformStamp);
