// Times the platform through the connector against baselines measured in the same run:
// searches over 100,000 objects (by title, and by name pattern for a drawing number that every
// fourth object's title block gives) against the same queries run straight on the database,
// and the download of a 200-file structure against curl fetching the same bytes.

#include "fzfileinfo.h"
#include "lintraaurexconnectorwrapper.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <httplib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int kObjects = 100000;
const int kBatch = 10000;
const int kStructureFiles = 200;
const int kSearchRounds = 20;
// Every this many objects has a drawing number.
const int kNumberedEvery = 4;
const char kPassword[] = "bench-password";

LintraAurexConnectorWrapper *connector() { return LintraAurexConnectorWrapper::GetInstance(); }

bool fail(const char *what)
{
    std::fprintf(stderr, "bench_platform: %s\n", what);
    return false;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Checks in one drawing with `count` children, all in the bench space.
bool checkIn(const QString &folder, const QString &prefix, int first, int count, int bytes)
{
    std::vector<std::unique_ptr<FzFileInfo>> records;
    for (int i = 0; i < count; ++i) {
        const QString title = QStringLiteral("%1-%2.dwg").arg(prefix).arg(first + i, 6, 10,
                                                                         QLatin1Char('0'));
        QByteArray content(bytes, '\0');
        for (char &c : content)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        const QString path = folder + QLatin1Char('/') + title;
        if (!writeFile(path, content))
            return fail("cannot write a bench file");
        records.push_back(std::make_unique<FzFileInfo>());
        records.back()->SetPath(path.toStdString());
        records.back()->SetTitle(title.toStdString());
        records.back()->SetProperty("collabspace", "Bench Space");
        if ((first + i) % kNumberedEvery == 0) {
            records.back()->SetProperty(
                "_DrawingNumber",
                QStringLiteral("BR-%1-S").arg(first + i, 6, 10, QLatin1Char('0')).toStdString());
        }
        if (i > 0) {
            records.back()->SetProperty("_RelationToParent", "CADSubcomponent");
            records.back()->SetParent(records.front().get());
        }
    }
    const bool ok = connector()->CheckIn(records.front().get());
    for (const auto &record : records)
        QFile::remove(QString::fromStdString(record->GetPath()));
    return ok;
}

double searchThroughPlatform(const char *key, const QString &pattern)
{
    FzFileInfo query;
    query.SetProperty("_CS", "Bench Space");
    query.SetProperty("_TypePattern", "ACAD Drawing");
    query.SetProperty(key, pattern.toStdString());
    query.SetProperty("_Pagelimit", "1000");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kSearchRounds; ++i)
        connector()->SearchPattern(&query);
    return timer.nsecsElapsed() / 1e6 / kSearchRounds;
}

// The platform's query run on the database itself: the pattern matched against any of columns.
double searchStraightOnDatabase(const QString &databaseFile, const QStringList &columns,
                                const QString &pattern, int *hits)
{
    double perQuery = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("b"));
        db.setDatabaseName(databaseFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < kSearchRounds; ++i) {
                QSqlQuery query(db);
                query.prepare(QStringLiteral(
                    "SELECT o.phid, o.name, o.title, o.type, o.modified, s.name, ow.login, "
                    "lk.login FROM objects o JOIN spaces s ON s.id = o.space_id "
                    "JOIN users ow ON ow.id = o.owner_id LEFT JOIN users lk ON lk.id = o.locked_by "
                    "WHERE s.name = ? AND o.type = ? AND (%1 LIKE ?) "
                    "ORDER BY o.title_lc LIMIT 1000")
                                  .arg(columns.join(QLatin1String(" LIKE ? OR "))));
                query.addBindValue(QStringLiteral("Bench Space"));
                query.addBindValue(QStringLiteral("ACAD Drawing"));
                for (int column = 0; column < columns.size(); ++column)
                    query.addBindValue(QString(pattern).replace(QLatin1Char('*'), QLatin1Char('%')));
                query.exec();
                *hits = 0;
                while (query.next())
                    ++*hits;
            }
            perQuery = timer.nsecsElapsed() / 1e6 / kSearchRounds;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("b"));
    return perQuery;
}

int run()
{
    QTemporaryDir dir;
    PlatformProcess platform;
    QString error;
    if (!dir.isValid() || !platform.start(&error)) {
        std::fprintf(stderr, "bench_platform: %s\n", qPrintable(error));
        return 1;
    }
    if (!platform.addUser(QStringLiteral("bench"), QLatin1String(kPassword))
        || !platform.addSpace(QStringLiteral("Bench Space"), {QStringLiteral("bench")}))
        return fail("cannot set the platform up") ? 0 : 1;
    connector()->SetServer(platform.serverHost());
    if (!connector()->LxGatepassLogin(QStringLiteral("bench"), QLatin1String(kPassword),
                                      platform.serverHost(), QString(), QStringLiteral("/cas")))
        return fail("cannot sign in") ? 0 : 1;

    std::printf("Filling the platform with %d objects...\n", kObjects);
    std::fflush(stdout);
    QElapsedTimer fill;
    fill.start();
    for (int first = 0; first < kObjects; first += kBatch) {
        if (!checkIn(dir.path(), QStringLiteral("part"), first, kBatch, 16))
            return fail("check-in failed") ? 0 : 1;
    }
    std::printf("  filled in %.1f s (check-ins of %d files)\n", fill.elapsed() / 1000.0, kBatch);

    const struct
    {
        const char *what;
        const char *key;
        const char *pattern;
        QStringList columns;
    } searches[] = {
        {"title", "_TitlePattern", "*part-0421*", {QStringLiteral("o.title_lc")}},
        {"drawing number", "_NamePattern", "*br-0421*",
         {QStringLiteral("o.name_lc"), QStringLiteral("o.title_lc"),
          QStringLiteral("o.drawing_number_lc"), QStringLiteral("o.drawing_title_lc")}},
    };
    for (const auto &search : searches) {
        const QString pattern = QLatin1String(search.pattern);
        int hits = 0;
        const double direct = searchStraightOnDatabase(
            platform.dataDir() + QStringLiteral("/platform.sqlite"), search.columns, pattern,
            &hits);
        const double through = searchThroughPlatform(search.key, pattern);
        std::printf("\nSearch of %d objects by %s for \"%s\" (%d hits, mean of %d):\n",
                    kObjects, search.what, search.pattern, connector()->GetSearchListSize(),
                    kSearchRounds);
        std::printf("  connector + platform  %8.2f ms\n", through);
        std::printf("  SQL on the database   %8.2f ms  (%d rows)\n", direct, hits);
        std::printf("  ratio                 %8.2f\n", through / direct);
    }

    if (!checkIn(dir.path(), QStringLiteral("structure"), 0, kStructureFiles, 64 * 1024))
        return fail("structure check-in failed") ? 0 : 1;
    FzFileInfo root;
    root.SetProperty("name", "");
    root.SetProperty("_TypePattern", "ACAD Drawing");
    root.SetProperty("_or_title_0", "structure-000000.dwg");
    if (!connector()->SearchPattern(&root) || connector()->GetSearchListSize() != 1)
        return fail("structure not found") ? 0 : 1;
    FzFileInfo top(*connector()->GetSearchFileAt(0));

    const QString ours = dir.filePath(QStringLiteral("ours"));
    const QString theirs = dir.filePath(QStringLiteral("curl"));
    QDir().mkpath(ours);
    QDir().mkpath(theirs);
    QElapsedTimer timer;
    timer.start();
    connector()->GetStructure_Block(&top);
    std::vector<std::unique_ptr<FzFileInfo>> records;
    std::vector<FzFileInfo *> pointers;
    for (int i = 0; i < connector()->GetTransactionListSize(); ++i) {
        records.push_back(std::make_unique<FzFileInfo>(*connector()->GetTransactionFileAt(i)));
        records.back()->SetProperty("_LOCALDOWNLOADFOLDER", ours.toStdString());
        pointers.push_back(records.back().get());
    }
    if (pointers.size() != size_t(kStructureFiles) || !connector()->Download_Block(pointers).empty())
        return fail("structure download failed") ? 0 : 1;
    const double connectorMs = timer.nsecsElapsed() / 1e6;

    // The baseline fetches the same contents with one curl process over one connection.
    PlatformClient http(platform.serverHost());
    if (http.signIn(QStringLiteral("bench"), QLatin1String(kPassword)) != 200)
        return fail("cannot sign in over HTTP") ? 0 : 1;
    const QString token = QString::fromStdString(http.token());
    QFile config(dir.filePath(QStringLiteral("curl.cfg")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("header = \"Authorization: Bearer %1\"\nsilent\nfail\n")
                     .arg(token).toUtf8());
    for (const auto &record : records) {
        config.write(QStringLiteral("url = \"%1/api/v1/objects/%2/content\"\noutput = \"%3/%4\"\n")
                         .arg(platform.serverHost(),
                              QString::fromStdString(record->GetProperty("phid")), theirs,
                              QString::fromStdString(record->GetProperty("title")))
                         .toUtf8());
    }
    config.close();
    QProcess curl;
    timer.restart();
    curl.start(QStringLiteral("curl"), {QStringLiteral("-K"), config.fileName()});
    if (!curl.waitForFinished(300000) || curl.exitCode() != 0)
        return fail("curl failed (is it installed?)") ? 0 : 1;
    const double curlMs = timer.nsecsElapsed() / 1e6;
    config.remove();

    std::printf("\nDownload of a %d-file structure (%d KiB each):\n", kStructureFiles, 64);
    std::printf("  connector (structure + download)  %8.1f ms\n", connectorMs);
    std::printf("  curl, same contents               %8.1f ms\n", curlMs);
    std::printf("  ratio                             %8.2f\n", connectorMs / curlMs);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    return run();
}
