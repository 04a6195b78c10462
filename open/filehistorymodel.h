#pragma once

#include "connector/fileversion.h"

#include <QAbstractTableModel>

// The rows of a file's history, one per version, newest first: the revision, whether the
// working copy was made from it (and changed since), the local date and time it was saved, who
// saved it, its size and its comment on one line, made safe to show (the whole comment is the
// row's tool tip). Kept by the history dialog; main thread.
class FileHistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        VersionColumn,
        YourCopyColumn,
        SavedColumn,
        UserColumn,
        SizeColumn,
        CommentColumn,
        ColumnCount
    };

    explicit FileHistoryModel(QObject *parent = nullptr);

    // localStamp: the platform stamp of the version the working copy was made from ("" when
    // there is none); localChanges: the working copy changed since.
    void setVersions(const FileVersionList &versions, const QString &localStamp,
                     bool localChanges);
    const FileVersionList &versions() const { return m_versions; }
    // The version of row; row must be valid.
    const FileVersion &version(int row) const { return m_versions.at(row); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString text(const FileVersion &version, int column) const;

    FileVersionList m_versions;
    QString m_localStamp;
    bool m_localChanges = false;
};
