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

QString XrefFileSearch::entryIgnoringCase(const QString &folder, const QString &name)
{
    // Drawings made on Windows name files and folders without regard to case. Only a single
    // entry that matches so is taken: of two that differ only in case, neither is the one meant.
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden
                                                       | QDir::System | QDir::NoDotAndDotDot);
    QString match;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!match.isEmpty())
            return QString();
        match = entry;
    }
    return match;
}

QString XrefFileSearch::existingFileIgnoringCase(const QString &path)
{
    const QString exact = existingFile(path);
    if (!exact.isEmpty())
        return exact;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = clean.split(QLatin1Char('/'));
    // An absolute path starts with an empty part: the root folder.
    QString current = QStringLiteral("/");
    for (int i = 1; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        QString next = QDir(current).filePath(part);
        if (!QFileInfo::exists(next)) {
            const QString entry = entryIgnoringCase(current, part);
            if (entry.isEmpty())
                return QString();
            next = QDir(current).filePath(entry);
        }
        current = next;
    }
    return existingFile(current);
}

QString XrefFileSearch::findInFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || name.isEmpty())
        return QString();
    return existingFileIgnoringCase(QDir(folder).filePath(name));
}

QString XrefFileSearch::find(const QString &storedPath, const QString &drawingFolder) const
{
    const QString stored = storedPath.trimmed();
    if (stored.isEmpty())
        return QString();
    const QString local = toLocalPath(stored);
    if (!isWindowsAbsolute(stored)) {
        if (QDir::isAbsolutePath(local)) {
            const QString found = existingFileIgnoringCase(local);
            if (!found.isEmpty())
                return found;
        } else if (!drawingFolder.isEmpty()) {
            const QString found = existingFileIgnoringCase(QDir(drawingFolder).filePath(local));
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
