#include "savetestsupport.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

bool savetest::Fixture::start(const QString &user, QString *error)
{
    if (!home.isValid()) {
        *error = QStringLiteral("no temporary home");
        return false;
    }
    home.applyToProcess();
    QStandardPaths::setTestModeEnabled(true);
    platform = std::make_unique<PlatformProcess>(PlatformProcess::Options{true, {}, {}});
    if (!platform->start(error))
        return false;
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    connector->SetProxySettings(QString(), 0, QString(), QString());
    connector->SetTenant(QString());
    connector->SetServer(platform->serverHost());
    if (!connector->LxGatepassLogin(user, user + QStringLiteral("-demo-pw"),
                                    platform->serverHost(), QString(), platform->casUrl())) {
        *error = QStringLiteral("%1 could not sign in to the demo platform").arg(user);
        return false;
    }
    ShowAurexTaskPane::instance()->startSession(QString());
    ShowAurexTaskPane::instance()->setCurrentUser(user);
    return true;
}

QMap<QString, QString> savetest::download(const QString &title, const QString &folder)
{
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    FzFileInfo query;
    setRecordProperty(query, kKeyTypePattern, QStringLiteral("*"));
    setRecordProperty(query, "_or_title_0", title);
    QMap<QString, QString> names;
    QDir().mkpath(folder);
    if (!connector->SearchPattern(&query) || connector->GetSearchListSize() < 1)
        return names;
    const FzFileInfo drawing(*connector->GetSearchFileAt(0));
    if (!connector->GetStructure_Block(const_cast<FzFileInfo *>(&drawing)))
        return names;
    RecordList records = RecordList::copiesOf(
        connector->GetTransactionListSize(),
        [connector](int i) { return connector->GetTransactionFileAt(i); });
    FileDatabase database{QString()};
    prepareDownload(database, folder, records.records());
    if (!connector->Download_Block(records.records()).empty())
        return names;
    for (const FzFileInfo *record : records) {
        recordDownloadedFile(database, *record, QDateTime::currentMSecsSinceEpoch());
        names.insert(downloadedFilePath(*record), recordProperty(*record, kKeyName));
    }
    return names;
}
