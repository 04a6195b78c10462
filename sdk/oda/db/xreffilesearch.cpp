#include "xreffilesearch.h"

#include <QDir>
#include <QFileInfo>

QString XrefFileSearch::toLocalPath(const QString &storedPath)
{
    QString local = storedPath;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

bool XrefFileSearch::isWindowsAbsolute(const QString &storedPath)
{
    const QString local = toLocalPath(storedPath);
    if (local.startsWith(QLatin1String("//")))
        return true;
    return local.size() >= 2 && local.at(1) == QLatin1Char(':') && local.at(0).isLetter();
}

QString XrefFileSearch::fileName(const QString &storedPath)
{
    const QString local = toLocalPath(storedPath);
    return local.mid(local.lastIndexOf(QLatin1Char('/')) + 1);
}

QString XrefFileSearch::existingFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

QString XrefFileSearch::findInFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || name.isEmpty())
        return QString();
    const QString exact = existingFile(QDir(folder).filePath(name));
    if (!exact.isEmpty())
        return exact;
    // Drawings made on Windows name files without regard to case; name filters match so.
    const QStringList matches = QDir(folder).entryList({name}, QDir::Files);
    for (const QString &entry : matches) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return existingFile(QDir(folder).filePath(entry));
    }
    return QString();
}

QString XrefFileSearch::find(const QString &storedPath, const QString &drawingFolder) const
{
    const QString stored = storedPath.trimmed();
    if (stored.isEmpty())
        return QString();
    const QString local = toLocalPath(stored);
    if (!isWindowsAbsolute(stored)) {
        if (QDir::isAbsolutePath(local)) {
            const QString found = existingFile(local);
            if (!found.isEmpty())
                return found;
        } else if (!drawingFolder.isEmpty()) {
            const QString found = existingFile(QDir(drawingFolder).filePath(local));
            if (!found.isEmpty())
                return found;
        }
    }
    const QString name = fileName(stored);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    QString found = findInFolder(drawingFolder, name);
    for (int i = 0; found.isEmpty() && i < m_supportFolders.size(); ++i)
        found = findInFolder(m_supportFolders.at(i), name);
    return found;
}
