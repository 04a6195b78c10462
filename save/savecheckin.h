#pragma once

#include <QString>
#include <QStringList>

class SaveTreeItem;

// Sends one save to the platform as a single check-in (all or nothing) and, when the platform
// stored it, records the new platform state of every saved file in the file database. After a
// refusal it finds out which rows the platform refused and why. Main thread; the calls block.
class SaveCheckIn
{
public:
    SaveCheckIn(const QString &tenant, const QString &currentUser, const QString &previewFolder);

    // Checks in the rows from top down, naming new files from autonames in row order. False,
    // with errorString(), when nothing was stored.
    bool run(SaveTreeItem *top, const QStringList &autonames);
    QString errorString() const { return m_error; }

    // After a refused check-in: marks the rows whose files another user locked or saved a
    // newer version of, and returns one line per such file.
    QStringList explainRefusal(SaveTreeItem *top);

private:
    QString m_tenant;
    QString m_currentUser;
    QString m_previewFolder;
    QString m_error;
};
