#include "localchangesguard.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

bool sameBytes(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    if (first.size() != second.size() || !first.open(QIODevice::ReadOnly)
        || !second.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!first.atEnd()) {
        if (first.read(kChunk) != second.read(kChunk))
            return false;
    }
    return true;
}

// A title that names a file of the folder itself; the connector refuses the others.
bool isPlainFileName(const QString &title)
{
    return !title.isEmpty() && !title.contains(QLatin1Char('/'))
           && !title.contains(QLatin1Char('\\')) && title != QLatin1String("..")
           && title != QLatin1String(".");
}

} // namespace

QString LocalChangesGuard::copyPathFor(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName()
                         + QStringLiteral(" (local changes %1").arg(stamp);
    QString copy = stem + QLatin1Char(')') + suffix;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = stem + QStringLiteral(" %1)").arg(n) + suffix;
    return copy;
}

bool LocalChangesGuard::keepAside(const FileDatabase &database,
                                  const std::vector<FzFileInfo *> &records)
{
    for (const FzFileInfo *record : records) {
        const QString title = recordTitle(*record);
        if (!isPlainFileName(title))
            continue;
        const QString path = localCopyPath(recordProperty(*record, kKeyLocalDownloadFolder), title);
        if (!QFileInfo(path).isFile())
            continue;
        if (!database.hasLocalChanges(path))
            continue;
        const QString copy = copyPathFor(path);
        if (!QFile::copy(path, copy)) {
            m_errorString = QCoreApplication::translate("LocalChangesGuard",
                                                        "Could not keep a copy of the local "
                                                        "changes to %1 as %2.")
                                .arg(path, copy);
            return false;
        }
        m_copies.append({path, copy});
    }
    return true;
}

QList<LocalChangesGuard::KeptCopy> LocalChangesGuard::finish()
{
    QList<KeptCopy> kept;
    for (const KeptCopy &copy : qAsConst(m_copies)) {
        if (sameBytes(copy.original, copy.copy)) {
            QFile::remove(copy.copy);
        } else {
            kept.append(copy);
        }
    }
    m_copies.clear();
    return kept;
}
