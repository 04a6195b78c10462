#pragma once

#include "connector/aurexplatform.h"

#include <QMutex>

// The platform as far as this computer knows it while the user works offline: what the file
// database recorded at the last download or check-in of each file, and the spaces the platform
// last named. Nothing goes over the network: a search finds the local copies by file name, a
// details request is answered with the version the local copy was last exchanged as and its
// local path in "filename" (the lock holder is not known), and every call that would change or
// fetch something on the platform fails, with "you are working offline" as the reason: a
// file's history too, which only the platform keeps. Any
// thread. The session keeps one, bound to its tenant, for as long as it lives.
class OfflinePlatform : public AurexPlatform
{
public:
    // The spaces the platform named for the tenant, kept for working offline.
    static void rememberSpaces(const QString &tenant, const QStringList &spaces);

    void setProxy(const QString &, int, const QString &, const QString &) override {}
    void setServer(const QString &) override {}
    void setTenant(const QString &tenant) override;
    void usePreferredContext(bool) override {}
    bool signInWithPassword(const QString &, const QString &, const QString &,
                            const QString &) override;
    bool signInWithCookie(const QString &, const QString &, const QString &,
                          const QString &) override;
    QStringList spaces() override;
    bool userInfo(QString *, QString *, QString *, QString *) override;
    bool search(const FzFileInfo &query, RecordList *hits) override;
    bool downloadPreviews(const RecordList &, const QString &) override;
    bool details(const RecordList &requests) override;
    bool structure(const FzFileInfo &, RecordList *) override;
    QStringList download(const RecordList &records, JobControl *control) override;
    QString downloadObject(const QString &, const QString &) override;
    bool checkIn(FzFileInfo *, const QString &, JobControl *, RecordList *) override;
    bool lock(FzFileInfo *, bool) override;
    bool versions(const FzFileInfo &, FileVersionList *) override;
    bool structureAsOf(const FzFileInfo &, int, RecordList *) override;
    QString downloadVersion(const FzFileInfo &, int, const QString &, const QString &,
                            JobControl *) override;
    bool restoreVersion(FzFileInfo *, int, const QString &) override;
    bool remove(const RecordList &) override;
    QStringList autonames(int) override;
    bool whereUsed(const FzFileInfo &, RecordList *, int *) override;
    bool titleBlockMapping(TitleBlockMapping *) override;
    // Offline nothing happens elsewhere that this computer could hear of.
    int readEvents(const QString &, const std::function<void(const PlatformEvent &)> &,
                   const std::function<bool()> &) override
    {
        return 0;
    }
    QString unreachableReason() override;

private:
    QString tenant();

    QMutex m_mutex; // guards m_tenant
    QString m_tenant;
};
