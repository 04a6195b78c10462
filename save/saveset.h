#pragma once

#include "drawingset/fileentry.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class AurexPlatform;
class FileDatabase;
class SaveTreeItem;
struct ReferenceNode;

// The rows of one save: built from the active drawing's reference tree, the file database and
// the platform details, then changed by the user and by the checks before saving (locks held by
// others, files of the same title in the target space, newer versions saved by others). Owns
// the rows. Main thread.
class SaveSet
{
public:
    // A platform file that the duplicate search found.
    struct Duplicate
    {
        QString title;
        QString name;
        QString lockedBy;
        QString modifiedBy;
        QString stamp;
        QString sha256;
        QString phid;
        QString type;
        // The new file here holds its bytes, and the user saved it: an earlier save stored it
        // and its answer was lost. The file database has been told.
        bool storedFromHere = false;
    };

    explicit SaveSet(const QString &currentUser);
    const QString &currentUser() const { return m_currentUser; }
    ~SaveSet();
    SaveSet(const SaveSet &) = delete;
    SaveSet &operator=(const SaveSet &) = delete;

    // Builds the rows below the invisible root: the drawing of root, then its references.
    // Keeps a snapshot for reset().
    void build(const ReferenceNode &root, const MAPSTRCADOBJ &details,
               const FileDatabase &database);

    SaveTreeItem *root() const { return m_root.get(); }
    // The active drawing's row; null before build().
    SaveTreeItem *top() const;
    // Every row below the invisible root, parents before children.
    QList<SaveTreeItem *> rows() const;

    // Counts the distinct files that will be saved and whether any of their rows is in error.
    void recount();
    int rowsToSave() const { return m_rowsToSave; }
    bool hasError() const { return m_hasError; }
    // "file: reason" of the first row to save that is in error, in row order; "" without one.
    QString firstErrorReason() const;

    // The titles of the rows new to the platform, by target space.
    QMap<QString, QStringList> titlesToCheck() const;
    // The local paths of those rows, by title.
    QMap<QString, QString> newFilePaths() const;
    // Marks the rows that the duplicate search's results name, then recounts.
    void evaluateDuplicates(const QList<Duplicate> &duplicates);
    // The platform files whose titles are among titles, space by space (any thread).
    static QList<Duplicate> searchDuplicates(AurexPlatform &platform,
                                             const QMap<QString, QStringList> &titles);

    // Every row goes to space (the default space chosen in the dialog).
    void setSpace(const QString &space);
    // The spaces the user may save to, before build(): new files go to the usual default
    // space when it is one of them, else to the first of them.
    void setWritableSpaces(const QStringList &spaces);
    // Back to the rows as they were built, or as keepAsMade() found them.
    void reset();
    // What reset() goes back to from now on: the rows as they are (after the duplicate check
    // that runs as the dialog opens, say).
    void keepAsMade();

    // The lock message of a file locked by user.
    static QString lockText(const QString &user);
    // The reason of a row whose file user replaced on the platform (at stamp) since the
    // version the local changes are based on.
    static QString changedText(const QString &user, const QString &stamp);

private:
    void buildRow(SaveTreeItem *row, const ReferenceNode &node, const MAPSTRCADOBJ &details,
                  const FileDatabase &database);

    QString m_currentUser;
    QString m_newFileSpace;
    std::unique_ptr<SaveTreeItem> m_root;
    std::unique_ptr<SaveTreeItem> m_snapshot;
    int m_rowsToSave = 0;
    bool m_hasError = false;
};
