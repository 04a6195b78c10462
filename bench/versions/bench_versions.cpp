// Times the versions the platform keeps against baselines measured in the same run: the list
// of an object's 1,000 versions, through the connector and as a plain HTTP request, against the
// same query run straight on the database; and the structure of a 200-file drawing as of a
// version against the structure of its current version.

#include "fzfileinfo.h"
#include "lintraaurexconnectorwrapper.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int kVersions = 1000;
const int kStructureFiles = 200;
const int kRounds = 61;
const char kSpace[] = "Bench Space";
const char kPassword[] = "bench-password";

LintraAurexConnectorWrapper *connector() { return LintraAurexConnectorWrapper::GetInstance(); }

int fail(const char *what)
{
    std::fprintf(stderr, "bench_versions: %s\n", what);
    return 1;
}

// The median time of one run of each work, in milliseconds. The works take turns round by
// round, so that a machine busy with something else for a while slows them alike.
std::vector<double> medianMs(const std::vector<std::function<void()>> &works)
{
    std::vector<std::vector<double>> times(works.size());
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < works.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            works[i]();
            times[i].push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::vector<double> medians;
    for (std::vector<double> &some : times) {
        std::sort(some.begin(), some.end());
        medians.push_back(some[some.size() / 2]);
    }
    return medians;
}

QJsonObject fileRecord(const QString &title, const QString &name, int parent)
{
    QJsonObject record{{"parent", parent}, {"title", title}, {"name", name},
                       {"collabspace", kSpace}};
    if (parent >= 0)
        record.insert("_RelationToParent", "CADSubcomponent");
    return record;
}

// The platform's own statement for an object's versions, on a connection of its own, every
// value read as text; the number of rows.
int versionsOnDatabase(QSqlDatabase db, const QString &phid)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT v.object_id, v.revision, v.title, v.modified, u.login, v.checkin_id, c.comment, "
        "v.sha256, v.size FROM object_versions v JOIN users u ON u.id = v.user_id "
        "LEFT JOIN checkins c ON c.id = v.checkin_id WHERE v.object_id = "
        "(SELECT id FROM objects WHERE phid = ?) ORDER BY v.revision DESC"));
    query.addBindValue(phid);
    query.exec();
    int rows = 0;
    QStringList values;
    while (query.next()) {
        for (int i = 0; i < 9; ++i)
            values << query.value(i).toString();
        ++rows;
    }
    return rows;
}

int run()
{
    PlatformProcess platform;
    QString error;
    if (!platform.start(&error))
        return fail(qPrintable(error));
    if (!platform.addUser(QStringLiteral("bench"), QLatin1String(kPassword))
        || !platform.addSpace(QLatin1String(kSpace), {QStringLiteral("bench")}))
        return fail("cannot set the platform up");
    PlatformClient client(platform.serverHost());
    if (client.signIn(QStringLiteral("bench"), QLatin1String(kPassword)) != 200)
        return fail("cannot sign in");
    connector()->SetServer(platform.serverHost());
    if (!connector()->LxGatepassLogin(QStringLiteral("bench"), QLatin1String(kPassword),
                                      platform.serverHost(), QString(), QStringLiteral("/cas")))
        return fail("the connector cannot sign in");

    std::printf("Saving one file %d times...\n", kVersions);
    std::fflush(stdout);
    const QJsonObject record = fileRecord(QStringLiteral("history.dwg"), client.autoname(), -1);
    for (int i = 0; i < kVersions; ++i) {
        if (client.checkIn({record}, {QByteArray("version ") + QByteArray::number(i)}, nullptr,
                           QStringLiteral("save number %1").arg(i))
            != 200)
            return fail("check-in failed");
    }
    const QString phid = client.find(QStringLiteral("history.dwg"))["phid"].toString();
    FzFileInfo history;
    history.SetProperty("phid", phid.toStdString());

    int rows = 0;
    std::vector<double> times;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("b"));
        db.setDatabaseName(platform.dataDir() + QStringLiteral("/platform.sqlite"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return fail("cannot open the database");
        const std::string path = "/api/v1/objects/" + phid.toStdString() + "/versions";
        // One connection for every request, as a client that lists versions often keeps.
        client.http().set_keep_alive(true);
        times = medianMs({[&] { rows = versionsOnDatabase(db, phid); },
                          [&] { client.http().Get(path); },
                          [&] { connector()->GetVersions_Block(&history); }});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("b"));
    const double direct = times[0];
    const double http = times[1];
    const double through = times[2];
    if (connector()->GetTransactionListSize() != kVersions || rows != kVersions)
        return fail("the versions are not all listed");
    std::printf("\nVersions of an object with %d versions (median of %d):\n", kVersions, kRounds);
    std::printf("  connector + platform  %8.2f ms  ratio %5.2f\n", through, through / direct);
    std::printf("  HTTP + platform       %8.2f ms  ratio %5.2f (aim <= 2)\n", http, http / direct);
    std::printf("  SQL on the database   %8.2f ms  (%d rows)\n", direct, rows);

    // A drawing with 199 references, saved twice with every file changed.
    QJsonArray tree;
    for (int i = 0; i < kStructureFiles; ++i) {
        tree.append(fileRecord(QStringLiteral("part-%1.%2").arg(i, 3, 10, QLatin1Char('0'))
                                   .arg(i == 0 ? "dwg" : "png"),
                               client.autoname(), i == 0 ? -1 : 0));
    }
    for (int round = 1; round <= 2; ++round) {
        QList<QByteArray> contents;
        for (int i = 0; i < kStructureFiles; ++i)
            contents << QByteArray(4096, char('a' + i % 26)) + QByteArray::number(i * 10 + round);
        if (client.checkIn(tree, contents) != 200)
            return fail("structure check-in failed");
    }
    FzFileInfo top;
    top.SetProperty("phid", client.find(QStringLiteral("part-000.dwg"))["phid"].toString()
                                .toStdString());
    times = medianMs({[&] { connector()->GetStructure_Block(&top); },
                      [&] { connector()->GetStructureAsOf_Block(&top, 1); }});
    const double current = times[0];
    const double asOf = times[1];
    if (connector()->GetTransactionListSize() != kStructureFiles)
        return fail("the structure as of version 1 is not complete");
    std::printf("\nStructure of a %d-file drawing through the connector (median of %d):\n",
                kStructureFiles, kRounds);
    std::printf("  as of version 1       %8.2f ms\n", asOf);
    std::printf("  current structure     %8.2f ms\n", current);
    std::printf("  ratio                 %8.2f (aim <= 1.25)\n", asOf / current);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    return run();
}
