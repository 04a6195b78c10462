#pragma once

#include "tddbexport.h"

#include <QString>
#include <QStringList>

// Finds the file behind a path stored in a drawing the way CAD programs do: the stored path
// itself when it is absolute and exists here, else relative to the referencing drawing's
// folder, else its bare file name in that folder and then in the support folders. Paths written
// on Windows (drive letters, "\" separators, UNC shares) are understood, and so is their
// disregard of case: a path that does not exist as written matches, folder by folder, the one
// entry that differs from it only in case. A look-up only reads the file system; the stored
// value is never changed. Copyable; safe to use from any thread.
class TD_DB_EXPORT XrefFileSearch
{
public:
    void setSupportFolders(const QStringList &folders) { m_supportFolders = folders; }
    QStringList supportFolders() const { return m_supportFolders; }

    // The full local path of the existing file, or empty. drawingFolder may be empty for a
    // drawing that was never saved.
    QString find(const QString &storedPath, const QString &drawingFolder) const;

    // The stored path with "\" turned into "/", as the local file system wants it.
    static QString toLocalPath(const QString &storedPath);
    // True for "C:\..." and "C:/..." paths and "\\server\share" paths, which name no file here.
    static bool isWindowsAbsolute(const QString &storedPath);
    // The file-name part of a stored path, whichever separator it uses.
    static QString fileName(const QString &storedPath);

private:
    static QString existingFile(const QString &path);
    static QString existingFileIgnoringCase(const QString &path);
    // The one entry of folder whose name equals name but for case; empty when none or several.
    static QString entryIgnoringCase(const QString &folder, const QString &name);
    static QString findInFolder(const QString &folder, const QString &name);

    QStringList m_supportFolders;
};
