#include "earlierversionfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The folder below the download folder that gathers the versions opened for viewing.
const char kEarlierVersionsFolder[] = "Earlier versions";
// In a version's folder: its revision on the first line, the file's title on the second.
const char kNoteFileName[] = ".aurex-earlier-version";

} // namespace

EarlierVersionFolder::EarlierVersionFolder(const QString &downloadFolder, const QString &title,
                                           int revision)
    : m_title(title)
    , m_revision(revision)
    , m_path(QDir(downloadFolder).filePath(QLatin1String(kEarlierVersionsFolder) + QLatin1Char('/')
                                           + documentTitle(title, revision)))
{
}

QString EarlierVersionFolder::filePath() const
{
    return QDir(m_path).filePath(m_title);
}

QString EarlierVersionFolder::documentTitle(const QString &title, int revision)
{
    // Not translated: it names a folder too, which must read the same in every language.
    return QStringLiteral("%1 (version %2)").arg(title).arg(revision);
}

bool EarlierVersionFolder::mark(QString *errorMessage) const
{
    QSaveFile note(QDir(m_path).filePath(QLatin1String(kNoteFileName)));
    const QByteArray text = QByteArray::number(m_revision) + '\n' + m_title.toUtf8() + '\n';
    if (note.open(QIODevice::WriteOnly) && note.write(text) == text.size() && note.commit())
        return true;
    *errorMessage = note.errorString();
    return false;
}

int EarlierVersionFolder::revisionHolding(const QString &path)
{
    if (path.isEmpty())
        return 0;
    QFile note(QFileInfo(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')))
                   .absoluteDir()
                   .filePath(QLatin1String(kNoteFileName)));
    if (!note.open(QIODevice::ReadOnly))
        return 0;
    return qMax(0, note.readLine().trimmed().toInt());
}

QString EarlierVersionFolder::saveRefusal(const QString &path)
{
    const int revision = revisionHolding(path);
    if (revision == 0)
        return QString();
    return tr("%1 is version %2, an earlier version opened for viewing from the file's history: "
              "it cannot be saved to the collaborative space.\n\nTo make it the current version, "
              "choose Restore This Version in the history.")
        .arg(QFileInfo(path).fileName())
        .arg(revision);
}
