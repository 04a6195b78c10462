// aurex-checkout: downloads a drawing with everything it references from the platform into a
// folder and records each file in the user's file database, so that the CAD application then
// shows them as exchanged with the platform.

#include "connector/connectorplatform.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "open/downloadthread.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>
#include <oddbhostappservices.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {
int fail(const QString &message)
{
    QTextStream(stderr) << "aurex-checkout: " << message << '\n';
    return 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads a drawing with its references into a folder and records them in the file "
        "database. The password is read from the standard input."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("server"), QStringLiteral("Platform address."),
                      QStringLiteral("url")});
    parser.addOption({QStringLiteral("user"), QStringLiteral("User name."),
                      QStringLiteral("login")});
    parser.addOption({QStringLiteral("tenant"), QStringLiteral("Tenant (default: none)."),
                      QStringLiteral("name")});
    parser.addPositionalArgument(QStringLiteral("title"), QStringLiteral("The drawing's title."));
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Target folder."));
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2 || !parser.isSet(QStringLiteral("server"))
        || !parser.isSet(QStringLiteral("user")))
        parser.showHelp(2);
    const QString server = parser.value(QStringLiteral("server"));
    const QString tenant = parser.value(QStringLiteral("tenant"));
    const QString folder = QDir(arguments.at(1)).absolutePath();
    const QString password = QTextStream(stdin).readLine();

    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    connector->SetServer(server);
    connector->SetTenant(tenant);
    if (!connector->LxGatepassLogin(parser.value(QStringLiteral("user")), password, server,
                                    QString(), server + QStringLiteral("/cas")))
        return fail(QStringLiteral("sign-in refused"));

    FzFileInfo query;
    setRecordProperty(query, kKeyTypePattern, QString::fromLatin1(kWildcard));
    setRecordProperty(query, "_or_title_0", arguments.at(0));
    if (!connector->SearchPattern(&query) || connector->GetSearchListSize() < 1)
        return fail(QStringLiteral("no drawing titled %1").arg(arguments.at(0)));
    FzFileInfo drawing(*connector->GetSearchFileAt(0));
    if (!connector->GetStructure_Block(&drawing))
        return fail(QStringLiteral("the platform gave no structure"));
    RecordList records = RecordList::copiesOf(
        connector->GetTransactionListSize(),
        [connector](int i) { return connector->GetTransactionFileAt(i); });

    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create %1").arg(folder));
    {
        const FileDatabase database(tenant);
        prepareDownload(database, folder, records.records());
    }
    QStringList paths;
    for (const FzFileInfo *record : records)
        paths.append(localCopyPath(folder, recordTitle(*record)));
    // The same download as the open dialog's: files recorded, reference paths repaired, local
    // changes kept aside.
    OdDbHostAppServices drawings;
    ConnectorPlatform platform(connector);
    DownloadThread worker(&platform, &drawings, nullptr);
    DownloadReport report;
    QObject::connect(&worker, &DownloadThread::downloadReported,
                     [&report](const DownloadReport &outcome) { report = outcome; });
    worker.setDownload(std::move(records), localCopyPath(folder, arguments.at(0)),
                       tenant);
    worker.runHere();
    if (report.failed)
        return fail(report.details.join(QLatin1String("; ")));
    if (!report.problem.isEmpty())
        return fail(report.problem);
    for (int i = 0; i < report.keptCopies.size(); ++i) {
        QTextStream(stderr) << "aurex-checkout: local changes of " << report.replacedLocalFiles.at(i)
                            << " kept in " << report.keptCopies.at(i) << '\n';
    }
    for (const QString &path : paths)
        QTextStream(stdout) << path << '\n';
    return 0;
}
