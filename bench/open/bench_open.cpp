// Times the open of a 200-file structure (a drawing referencing 99 drawings, each with an
// image, and one image of its own) from a local platform: structure, download, file database,
// reference repair and the host opening the drawing with every reference resolved. Baselines
// measured in the same run: curl fetching the same bytes over one connection, and a plain copy
// of the same files from one local folder to another.

#include "connector/connectorplatform.h"
#include "open/downloadthread.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <hostdocumentmanager.h>
#include <hostenvironment.h>
#include <platformclient.h>
#include <platformprocess.h>

#include <cfxdocument.h>
#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>
#include <oddbdatabase.h>
#include <oddbxrefgraph.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int kParts = 99;
const int kRounds = 5;
const char kPassword[] = "bench-password";
const char kSpace[] = "Bench Space";

LintraAurexConnectorWrapper *connector() { return LintraAurexConnectorWrapper::GetInstance(); }

int fail(const QString &what)
{
    std::fprintf(stderr, "bench_open: %s\n", qPrintable(what));
    return 1;
}

// Checks in the generated structure: main.dwg with its image and parts, each part with its
// image below it.
bool checkIn(const QString &folder)
{
    std::vector<std::unique_ptr<FzFileInfo>> records;
    auto add = [&](const QString &title, FzFileInfo *parent) {
        records.push_back(std::make_unique<FzFileInfo>());
        FzFileInfo *record = records.back().get();
        record->SetPath(QDir(folder).filePath(title).toStdString());
        record->SetTitle(title.toStdString());
        record->SetProperty("collabspace", kSpace);
        if (parent) {
            record->SetProperty("_RelationToParent", "CADSubcomponent");
            record->SetParent(parent);
        }
        return record;
    };
    FzFileInfo *main = add(QStringLiteral("main.dwg"), nullptr);
    add(QStringLiteral("site.png"), main);
    for (int i = 0; i < kParts; ++i) {
        FzFileInfo *part = add(QStringLiteral("part-%1.dxf").arg(i, 3, 10, QLatin1Char('0')), main);
        add(QStringLiteral("img-%1.png").arg(i, 3, 10, QLatin1Char('0')), part);
    }
    return connector()->CheckIn(main);
}

// The open as the module does it, up to the drawing open in the host; the number of resolved
// references below it, or -1.
int openThroughModule(HostEnvironment *host, const QString &folder, double *openMs)
{
    FzFileInfo query;
    query.SetProperty("_TypePattern", "ACAD Drawing");
    query.SetProperty("_or_title_0", "main.dwg");
    if (!connector()->SearchPattern(&query) || connector()->GetSearchListSize() != 1)
        return -1;
    FzFileInfo top(*connector()->GetSearchFileAt(0));
    connector()->GetStructure_Block(&top);
    RecordList records = RecordList::copiesOf(connector()->GetTransactionListSize(),
                                              [](int i) { return connector()->GetTransactionFileAt(i); });
    {
        const FileDatabase database{QString()};
        prepareDownload(database, folder, records.records());
    }
    connector()->SetWorkingDirectory(folder);
    ConnectorPlatform platform(connector());
    DownloadThread worker(&platform, host->appServices(), host->documents());
    DownloadReport report;
    QObject::connect(&worker, &DownloadThread::downloadReported,
                     [&report](const DownloadReport &r) { report = r; });
    const QString mainPath = folder + QStringLiteral("/main.dwg");
    worker.setDownload(std::move(records), mainPath, QString());
    worker.runHere();
    if (report.failed || !report.problem.isEmpty()) {
        std::fprintf(stderr, "%s%s\n", qPrintable(report.details.join('\n')),
                     qPrintable(report.problem));
        return -1;
    }
    QElapsedTimer opening;
    opening.start();
    CFxDocument *document = host->documents()->OpenDocument(CFxString(mainPath));
    *openMs = opening.nsecsElapsed() / 1e6;
    if (!document || !document->GetFxDatabase())
        return -1;
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(document->GetFxDatabase(), graph);
    int resolved = 0;
    for (int i = 1; i < graph.numNodes(); ++i) {
        if (graph.xrefNode(i)->xrefStatus() == OdDb::kXrfResolved
            && QFileInfo(graph.xrefNode(i)->database()->fileName()).absolutePath() == folder)
            ++resolved;
    }
    return resolved;
}

double curlFetch(const PlatformProcess &platform, const QString &folder, const QString &config)
{
    const QStringList titles = QDir(folder).entryList(QDir::Files);
    PlatformClient http(platform.serverHost());
    if (http.signIn(QStringLiteral("bench"), QLatin1String(kPassword)) != 200)
        return -1;
    const QString token = QString::fromStdString(http.token());
    // The ids come from the same structure the module downloaded.
    FzFileInfo query;
    query.SetProperty("_TypePattern", "ACAD Drawing");
    query.SetProperty("_or_title_0", "main.dwg");
    connector()->SearchPattern(&query);
    FzFileInfo top(*connector()->GetSearchFileAt(0));
    connector()->GetStructure_Block(&top);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    file.write(QStringLiteral("header = \"Authorization: Bearer %1\"\nsilent\nshow-error\nfail\n")
                   .arg(token).toUtf8());
    const QString out = QFileInfo(config).absolutePath() + QStringLiteral("/curl");
    QDir().mkpath(out);
    for (int i = 0; i < connector()->GetTransactionListSize(); ++i) {
        const FzFileInfo *record = connector()->GetTransactionFileAt(i);
        file.write(QStringLiteral("url = \"%1/api/v1/objects/%2/content\"\noutput = \"%3/%4\"\n")
                       .arg(platform.serverHost(),
                            QString::fromStdString(record->GetProperty("phid")), out,
                            QString::fromStdString(record->GetProperty("title")))
                       .toUtf8());
    }
    file.close();
    QElapsedTimer timer;
    timer.start();
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-K"), config});
    if (!curl.waitForFinished(300000) || curl.exitCode() != 0
        || QDir(out).entryList(QDir::Files).size() != titles.size()) {
        std::fprintf(stderr, "%s", curl.readAllStandardError().constData());
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double plainCopy(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QElapsedTimer timer;
    timer.start();
    for (const QString &name : QDir(from).entryList(QDir::Files)) {
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

int run()
{
    QTemporaryDir dir;
    // The file database of the bench lives in the bench's own folder.
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString generator = QStringLiteral(AUREX_BENCH_SOURCE "/make_structure.py");
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {generator, source, QString::number(kParts)}) != 0)
        return fail(QStringLiteral("cannot generate the structure (python3-ezdxf?)"));

    PlatformProcess platform;
    QString error;
    if (!platform.start(&error))
        return fail(error);
    if (!platform.addUser(QStringLiteral("bench"), QLatin1String(kPassword))
        || !platform.addSpace(QLatin1String(kSpace), {QStringLiteral("bench")}))
        return fail(QStringLiteral("cannot set the platform up"));
    connector()->SetServer(platform.serverHost());
    if (!connector()->LxGatepassLogin(QStringLiteral("bench"), QLatin1String(kPassword),
                                      platform.serverHost(), QString(), QStringLiteral("/cas")))
        return fail(QStringLiteral("cannot sign in"));
    if (!checkIn(source))
        return fail(QStringLiteral("check-in failed"));

    // Each way in turns, into fresh folders, so that a slow moment of the machine falls on
    // one round rather than on one way.
    HostEnvironment host;
    std::vector<double> ours;
    std::vector<double> opens;
    std::vector<double> curls;
    std::vector<double> copies;
    for (int round = 0; round < kRounds; ++round) {
        const QString folder = dir.filePath(QStringLiteral("round-%1").arg(round));
        QDir().mkpath(folder + QStringLiteral("/ours"));
        QElapsedTimer timer;
        timer.start();
        double openMs = 0;
        const int resolved = openThroughModule(&host, folder + QStringLiteral("/ours"), &openMs);
        ours.push_back(timer.nsecsElapsed() / 1e6);
        opens.push_back(openMs);
        if (resolved != kParts)
            return fail(QStringLiteral("the drawing opened with %1 of %2 references resolved")
                            .arg(resolved).arg(kParts));
        curls.push_back(curlFetch(platform, source, folder + QStringLiteral("/curl.cfg")));
        copies.push_back(plainCopy(source, folder + QStringLiteral("/copy")));
        if (curls.back() < 0 || copies.back() < 0)
            return fail(QStringLiteral("a baseline failed (is curl installed?)"));
    }
    const int files = QDir(source).entryList(QDir::Files).size();
    std::printf("Open of a %d-file structure (%d referenced drawings with images), medians of "
                "%d rounds taken in turns:\n",
                files, kParts, kRounds);
    std::printf("  module: structure, download, file database,\n");
    std::printf("          repair and open in the host        %8.1f ms\n", median(ours));
    std::printf("    of which the host reading the drawing      %8.1f ms\n", median(opens));
    std::printf("  curl, same contents, one connection         %8.1f ms\n", median(curls));
    std::printf("  plain copy of the same files                %8.1f ms\n", median(copies));
    std::printf("  ratio to curl                               %8.2f\n", median(ours) / median(curls));
    std::printf("  ratio to plain copy                         %8.2f\n",
                median(ours) / median(copies));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return run();
}
