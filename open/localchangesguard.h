#pragma once

#include <QList>
#include <QString>

#include <vector>

class FileDatabase;
class FzFileInfo;

// Keeps local work from being lost to a download. Before the transfer, every local file that a
// record would replace and that holds work the platform does not have (saved or changed by any
// program since it came, or not known to the file database at all) is copied beside itself as
// "<name> (local changes <date> <time>).<suffix>"; after the transfer the copies of files that
// were not replaced are removed again. One instance per download, on the download worker.
class LocalChangesGuard
{
public:
    struct KeptCopy
    {
        QString original;
        QString copy;
    };

    // False, with errorString(), when a copy could not be made: then nothing may be downloaded
    // (call finish() to remove the copies already made).
    bool keepAside(const FileDatabase &database, const std::vector<FzFileInfo *> &records);
    // After the transfer (or instead of it): the copies whose original was replaced.
    QList<KeptCopy> finish();
    QString errorString() const { return m_errorString; }

    // Where a copy of path is kept: beside it, under a name no download produces.
    static QString copyPathFor(const QString &path);

private:
    QList<KeptCopy> m_copies;
    QString m_errorString;
};
