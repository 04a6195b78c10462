#pragma once

#include "connector/fileversion.h"
#include "connector/recordlist.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

class AurexPlatform;
class FileDatabase;
class FzFileInfo;
class JobControl;

// One platform file whose history is shown: which file it is (platform name and title), its
// working copy as the file database knows it (the local path, the version it was made from,
// whether it changed since), and the platform's calls on its versions with every failure put
// in the user's words. Made on the main thread; a value, so each job takes a copy along. The
// calls block: they run in jobs, each returning "" or what the user is told.
class FileHistory
{
    Q_DECLARE_TR_FUNCTIONS(FileHistory)

public:
    // user: the signed-in login, whose own lock does not stand in the way of a restore.
    FileHistory(AurexPlatform *platform, const FileDatabase &database, const QString &name,
                const QString &title, const QString &user);

    QString name() const { return m_name; }
    QString title() const { return m_title; }
    bool isDrawing() const;
    // The working copy's path, or "" when this computer has none.
    QString localPath() const { return m_localPath; }
    // The platform stamp of the version the working copy was made from ("" without one).
    QString localStamp() const { return m_localStamp; }
    // The working copy holds work the platform does not have.
    bool hasLocalChanges() const { return m_localChanges; }
    // Where the file's downloads go: the working copy's folder, else the folder a download of
    // it would propose.
    QString downloadFolder() const { return m_downloadFolder; }

    // The versions, newest first.
    QString listVersions(FileVersionList *versions) const;
    // The file as of version revision, then, for a drawing, every file it referenced then.
    QString listAsOf(int revision, RecordList *records) const;
    // Writes the bytes of version revision to path, replacing what is there in one step.
    QString saveCopy(int revision, const QString &path, JobControl &control) const;
    // Makes version revision the newest, with the comment "Restored version N", unless someone
    // saved after newestStamp (the newest version the user has seen) or holds the lock.
    // restored receives the file's record as stored.
    QString restore(int revision, const QString &newestStamp, RecordList *restored) const;

private:
    std::unique_ptr<FzFileInfo> request() const;
    // After a refused call on version revision: why, asking the platform about the file
    // (someone holds its lock, saved after base, the version is gone), else failed.
    QString whyRefused(int revision, const QString &base, const QString &failed) const;

    AurexPlatform *m_platform;
    QString m_name;
    QString m_title;
    QString m_user;
    QString m_localPath;
    QString m_localStamp;
    bool m_localChanges = false;
    QString m_downloadFolder;
};
