#pragma once

#include <QCoreApplication>
#include <QString>

// Where an earlier version of a platform file is opened for viewing: a folder of its own,
// "Earlier versions/TITLE (version N)" below the download folder of the file's working copy,
// which holds the file and, for a drawing, the files it referenced at that time. Its files are
// never recorded in the file database, and a note in the folder says which version it holds,
// so that a drawing opened from it is never saved back to the collaborative space. A value.
class EarlierVersionFolder
{
    Q_DECLARE_TR_FUNCTIONS(EarlierVersionFolder)

public:
    EarlierVersionFolder(const QString &downloadFolder, const QString &title, int revision);

    QString path() const { return m_path; }
    // Where the file itself lands.
    QString filePath() const;
    // What the host calls the opened document: "TITLE (version N)".
    QString documentTitle() const { return documentTitle(m_title, m_revision); }
    static QString documentTitle(const QString &title, int revision);

    // After the files arrived: notes in the folder which version it holds. False, with
    // *errorMessage, when the note could not be written.
    bool mark(QString *errorMessage) const;

    // The revision of the earlier version whose folder holds the file at path, or 0 when the
    // file is not part of an earlier version.
    static int revisionHolding(const QString &path);
    // Why the drawing at path may not be saved to the collaborative space, in the user's words,
    // or "" when it may.
    static QString saveRefusal(const QString &path);

private:
    QString m_title;
    int m_revision;
    QString m_path;
};
