#pragma once

#include "support/aurexjob.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class AurexPlatform;
class FzFileInfo;
class SaveTreeItem;

// Sends one save to the platform as a single check-in (all or nothing), as a job: fresh names
// for the new files, the record tree, the check-in, and, when the platform stored it, the new
// platform state of every saved file in the file database. After a refusal the work also asks
// which files another user locked or changed, so that the dialog can say why. Made per save on
// the main thread; the work runs on a copy of the rows, so the dialog's rows are never read
// by another thread. The platform outlives the work.
class SaveCheckIn : public AurexJob
{
    Q_OBJECT

public:
    SaveCheckIn(AurexPlatform *platform, const QString &tenant, const QString &currentUser,
                const QString &previewFolder, QObject *parent = nullptr);
    ~SaveCheckIn() override;

    // The rows to check in from top down (copied here) and how many of them are saved; call
    // before start().
    void setRows(const SaveTreeItem &top, int rowsToSave);
    // What the user says of the changes, for every file of the check-in; before start().
    void setComment(const QString &comment);
    // The save's key: a check-in sent again with the same key (its answer lost on the way) is
    // answered as the first time and stored once; before start().
    void setKey(const QString &key);

    // After a refused check-in (WorkError): marks the rows of top, the rows given to setRows,
    // whose files another user locked or saved a newer version of, and returns one line per
    // such file. Main thread.
    QStringList explainRefusal(SaveTreeItem *top) const;
    // A refused check-in has recorded in the file database, as exchanged, every refused file
    // whose bytes the platform holds already under the name the row asked for (an earlier
    // sending stored them, and its answer or the host was lost before they were recorded).
    // This marks those of the given rows (the ones the check-in was given) as exchanged and
    // leaves such a new file's row to save changes; returns how many. Then a new check-in of
    // the same rows does not send them again. Main thread.
    int markDeliveredAlready(SaveTreeItem *top) const;
    // After a good result: what the save did, in one line ("Saved 3 files to Common Space (2
    // new, 1 changed).").
    QString summary() const;

private:
    struct Work;
    // A row the platform refused, and its answer on the row's file.
    struct Refused
    {
        SaveTreeItem *row;
        const FzFileInfo *answer;
    };
    // After a refusal: the refused rows among top's (the rows given to setRows) with their
    // answers; empty while running or when top is not those rows.
    QList<Refused> refusedRows(SaveTreeItem *top) const;

    std::shared_ptr<Work> m_work;
    const QString m_currentUser;
};
