#include "offlineplatform.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/filetype.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>


namespace {

// Beside the tenant's file database: the spaces, one per line.
QString spacesFile(const QString &tenant)
{
    const QString database = FileDatabase::locationFor(tenant);
    return database.isEmpty() ? QString()
                              : QFileInfo(database).absolutePath() + QLatin1String("/spaces");
}

} // namespace

void OfflinePlatform::rememberSpaces(const QString &tenant, const QStringList &spaces)
{
    const QString path = spacesFile(tenant);
    if (path.isEmpty() || spaces.isEmpty())
        return;
    // The tenant's folder is made by its file database's first save, which may come later.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(spaces.join(QLatin1Char('\n')).toUtf8());
    file.commit();
}

void OfflinePlatform::setTenant(const QString &tenant)
{
    QMutexLocker locker(&m_mutex);
    m_tenant = tenant;
}

QString OfflinePlatform::tenant()
{
    QMutexLocker locker(&m_mutex);
    return m_tenant;
}

bool OfflinePlatform::signInWithPassword(const QString &, const QString &, const QString &,
                                         const QString &)
{
    return false;
}

bool OfflinePlatform::signInWithCookie(const QString &, const QString &, const QString &,
                                       const QString &)
{
    return false;
}

QStringList OfflinePlatform::spaces()
{
    QFile file(spacesFile(tenant()));
    if (!file.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool OfflinePlatform::userInfo(QString *, QString *, QString *, QString *)
{
    return false;
}

bool OfflinePlatform::search(const FzFileInfo &query, RecordList *hits)
{
    // The local copies the file database knows, by file name (a name pattern also by the
    // platform name): a pattern ("*text*") or a list of titles; drawings only unless the query
    // asks for inserted files too.
    hits->clear();
    const auto patternOf = [&query](const char *key) {
        const QString pattern = recordProperty(query, key);
        return pattern.isEmpty() || pattern == QLatin1String(kWildcard)
            ? QRegularExpression()
            : QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                 QRegularExpression::CaseInsensitiveOption);
    };
    const QRegularExpression titlePattern = patternOf(kKeyTitlePattern);
    const QRegularExpression namePattern = patternOf(kKeyNamePattern);
    QStringList titles;
    for (int i = 0; query.HasProperty(kKeyOrTitlePrefix + std::to_string(i)); ++i)
        titles.append(recordProperty(query, (kKeyOrTitlePrefix + std::to_string(i)).c_str()));
    const bool drawingsOnly = !recordProperty(query, kKeyTypePattern).contains(kTypeInsert);
    const FileDatabase database(tenant());
    for (const QString &path : database.paths()) {
        const QString title = QFileInfo(path).fileName();
        const QString name = database.entryAttribute(path, QLatin1String(kAttrName));
        const bool titled = titles.isEmpty() || titles.contains(title, Qt::CaseInsensitive);
        const bool matched =
            (titlePattern.pattern().isEmpty() || titlePattern.match(title).hasMatch())
            && (namePattern.pattern().isEmpty() || namePattern.match(title).hasMatch()
                || (!name.isEmpty() && namePattern.match(name).hasMatch()));
        if (!titled || !matched || (drawingsOnly && !isDrawingPath(path)))
            continue;
        FzFileInfo *hit = hits->add(std::make_unique<FzFileInfo>());
        setRecordProperty(*hit, kKeyName, name);
        setRecordProperty(*hit, kKeyTitle, title);
        hit->SetTitle(title.toStdString());
        hit->SetProperty(kKeyType, fileTypeForPath(path).type);
        setRecordProperty(*hit, kKeyFileName, path);
    }
    return true;
}

bool OfflinePlatform::downloadPreviews(const RecordList &, const QString &)
{
    return false;
}

bool OfflinePlatform::details(const RecordList &requests)
{
    const FileDatabase database(tenant());
    const QString name = QLatin1String(kAttrName);
    for (FzFileInfo *request : requests) {
        const QString requested = recordProperty(*request, kKeyName);
        const QString base = database.valueWhere(name, requested, QLatin1String(kAttrBaseStamp));
        const QString stamp = base.isEmpty()
            ? database.valueWhere(name, requested, QLatin1String(kAttrUpdateStamp))
            : base;
        if (stamp.isEmpty())
            continue;
        const QString path = database.valueWhere(name, requested, QLatin1String(kAttrPath));
        setRecordProperty(*request, kKeyFileName, path);
        setRecordProperty(*request, kKeySize, QString::number(QFileInfo(path).size()));
        setRecordProperty(*request, kKeyTitle, QFileInfo(path).fileName());
        if (!request->HasProperty(kKeyType))
            request->SetProperty(kKeyType, fileTypeForPath(path).type);
        setRecordProperty(*request, kKeyFileModified, stamp);
        setRecordProperty(*request, kKeyPhid,
                          database.valueWhere(name, requested, QLatin1String(kAttrVaultId)));
    }
    return true;
}

bool OfflinePlatform::structure(const FzFileInfo &, RecordList *)
{
    return false;
}

QStringList OfflinePlatform::download(const RecordList &records, JobControl *)
{
    QStringList missing;
    for (const FzFileInfo *record : records)
        missing.append(QString::fromStdString(record->GetTitle()) + QLatin1String(": ")
                       + unreachableReason());
    return missing;
}

QString OfflinePlatform::downloadObject(const QString &, const QString &)
{
    return QString();
}

bool OfflinePlatform::checkIn(FzFileInfo *, const QString &, JobControl *, RecordList *)
{
    return false;
}

bool OfflinePlatform::lock(FzFileInfo *, bool)
{
    return false;
}

bool OfflinePlatform::versions(const FzFileInfo &, FileVersionList *)
{
    return false;
}

bool OfflinePlatform::structureAsOf(const FzFileInfo &, int, RecordList *)
{
    return false;
}

QString OfflinePlatform::downloadVersion(const FzFileInfo &, int, const QString &, const QString &,
                                         JobControl *)
{
    return QString();
}

bool OfflinePlatform::restoreVersion(FzFileInfo *, int, const QString &)
{
    return false;
}

bool OfflinePlatform::remove(const RecordList &)
{
    return false;
}

bool OfflinePlatform::whereUsed(const FzFileInfo &, RecordList *, int *)
{
    return false;
}

bool OfflinePlatform::titleBlockMapping(TitleBlockMapping *)
{
    return false;
}

QStringList OfflinePlatform::autonames(int)
{
    return QStringList();
}

QString OfflinePlatform::unreachableReason()
{
    return QCoreApplication::translate("OfflinePlatform", "you are working offline");
}
