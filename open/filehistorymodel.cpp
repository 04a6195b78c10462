#include "filehistorymodel.h"

#include "fileitems/filestatus.h"
#include "support/displaytext.h"

#include <QFont>

FileHistoryModel::FileHistoryModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void FileHistoryModel::setVersions(const FileVersionList &versions, const QString &localStamp,
                                   bool localChanges)
{
    beginResetModel();
    m_versions = versions;
    m_localStamp = localStamp;
    m_localChanges = localChanges;
    endResetModel();
}

int FileHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_versions.size();
}

int FileHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FileHistoryModel::text(const FileVersion &version, int column) const
{
    switch (column) {
    case VersionColumn: return QString::number(version.revision);
    case YourCopyColumn:
        if (m_localStamp.isEmpty() || version.modified != m_localStamp)
            return QString();
        return m_localChanges ? tr("Your copy, changed since") : tr("Your copy");
    case SavedColumn: return platformStampText(version.modified);
    case UserColumn: return singleLineText(version.user);
    case SizeColumn: return fileSizeText(version.size);
    case CommentColumn: return singleLineText(version.comment);
    default: return QString();
    }
}

QVariant FileHistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_versions.size())
        return QVariant();
    const FileVersion &version = m_versions.at(index.row());
    switch (role) {
    case Qt::DisplayRole: return text(version, index.column());
    case Qt::ToolTipRole:
        return version.comment.trimmed().isEmpty() ? QVariant()
                                                   : QVariant(multiLineText(version.comment));
    case Qt::FontRole: {
        if (text(version, YourCopyColumn).isEmpty())
            return QVariant();
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::TextAlignmentRole:
        if (index.column() == VersionColumn || index.column() == SizeColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default: return QVariant();
    }
}

QVariant FileHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case VersionColumn: return tr("Version");
    case YourCopyColumn: return tr("This computer");
    case SavedColumn: return tr("Saved");
    case UserColumn: return tr("By");
    case SizeColumn: return tr("Size");
    case CommentColumn: return tr("Comment");
    default: return QVariant();
    }
}
