// What the platform tells whoever watches it: its version on every answer, a health check that
// follows the database, and metrics in the text format monitoring systems scrape, given only
// to the addresses allowed them.

#include "eventreader.h"
#include "platformtestcase.h"

#include <QTcpServer>

namespace {

// The samples of a metrics answer, by series ("name{labels}"); empty when a line does not
// keep the format or a sample's family has no type.
QMap<QString, double> samplesOf(const std::string &text)
{
    static const QRegularExpression sample(
        QStringLiteral("^([a-z_]+)(\\{.*\\})? (-?[0-9.e+-]+)$"));
    QMap<QString, double> samples;
    QSet<QString> typed;
    for (const QString &line : QString::fromStdString(text).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("# TYPE ")))
            typed << line.section(' ', 2, 2);
        if (line.startsWith('#'))
            continue;
        const QRegularExpressionMatch match = sample.match(line);
        const QString family =
            match.captured(1).remove(QRegularExpression(QStringLiteral("_(bucket|sum|count)$")));
        if (!match.hasMatch() || !(typed.contains(match.captured(1)) || typed.contains(family)))
            return {};
        samples.insert(match.captured(1) + match.captured(2), match.captured(3).toDouble());
    }
    return samples;
}

} // namespace

class TestPlatformMonitoring : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(startDemo({"carol"}), QString()); }

    // Answers of every kind, signed in or not, say the version the binary says.
    void versionIsOnEveryAnswer()
    {
        QProcess binary;
        binary.start(PlatformProcess::binary(), {"--version"});
        QVERIFY(binary.waitForFinished());
        const QString version = QString::fromUtf8(binary.readAllStandardOutput()).trimmed();
        QVERIFY(version.startsWith("aurex-platform "));
        PlatformClient nobody(m_platform->serverHost());
        const auto noBody = [](size_t, httplib::DataSink &sink) { return sink.done(), true; };
        QStringList answers;
        QStringList expected;
        const auto row = [&](const char *path, int status, const httplib::Result &answer) {
            answers << QStringLiteral("%1 %2 aurex-platform %3")
                           .arg(path)
                           .arg(answer ? answer->status : 0)
                           .arg(answer ? answer->get_header_value("X-Aurex-Version").c_str() : "");
            expected << QStringLiteral("%1 %2 %3").arg(path).arg(status).arg(version);
        };
        row("/healthz", 200, nobody.http().Get("/healthz"));
        row("/nothing", 404, nobody.http().Get("/nothing"));
        row("/api/v1/me", 401, nobody.http().Get("/api/v1/me"));
        row("/api/v1/me", 200, as("carol").http().Get("/api/v1/me"));
        // A body of unstated length.
        row("/api/v1/search", 411,
            as("carol").http().Post("/api/v1/search", noBody, "application/json"));
        QCOMPARE(answers, expected);
    }

    void healthFollowsTheDatabase()
    {
        // A platform of its own with one serving thread, which opens its database connection
        // at its first request: the database file is taken away before that.
        PlatformProcess platform(PlatformProcess::Options{false, {"--threads", "1"}, {}});
        QVERIFY(platform.start());
        const QString file = platform.dataDir() + "/platform.sqlite";
        QVERIFY(QFile::rename(file, file + ".away"));
        QVERIFY(QDir().mkdir(file));
        httplib::Client client(platform.serverHost().toStdString());
        QCOMPARE(client.Get("/healthz")->status, 503);
        QVERIFY(QDir().rmdir(file));
        QVERIFY(QFile::rename(file + ".away", file));
        const httplib::Result back = client.Get("/healthz");
        QCOMPARE(back->status, 200);
        QCOMPARE(PlatformClient::parse(back->body)["status"].toString(), QString("ok"));
        QVERIFY(samplesOf(client.Get("/metrics")->body).value("aurex_database_errors_total")
                >= 1);
    }

    void metricsCountWhatHappened()
    {
        EventReader stream(m_platform->serverHost(), "bob");
        QTRY_VERIFY(stream.isOpen());
        PlatformClient alice(m_platform->serverHost());
        const auto metrics = [&alice] { return samplesOf(alice.http().Get("/metrics")->body); };
        const QMap<QString, double> before = metrics();
        QVERIFY(!before.isEmpty());

        QCOMPARE(alice.signIn("alice", "not her password"), 401);
        QCOMPARE(alice.signIn("alice", "alice-demo-pw"), 200);
        const QByteArray bytes(300000, 'm');
        QCOMPARE(alice.checkIn({record("metered.pdf", alice.autoname(), "Common Space")}, {bytes}),
                 200);
        QCOMPARE(alice.downloadDigest(phidOf(alice, "metered.pdf")), PlatformClient::sha256(bytes));
        QCOMPARE(alice.http().Get("/api/v1/objects/0123456789ABCDEF0123456789ABCDEF")->status,
                 404);

        const QString requests = QStringLiteral("aurex_http_requests_total{method=\"%1\",route=\"%2\","
                                                "status=\"%3\"}");
        const QStringList counted{
            requests.arg("POST", "/cas/v1/login", "401"),
            requests.arg("POST", "/cas/v1/login", "200"),
            requests.arg("POST", "/api/v1/checkin", "200"),
            requests.arg("GET", "/api/v1/objects/{phid}/content", "200"),
            requests.arg("GET", "/api/v1/objects/{phid}", "404"),
            "aurex_http_request_duration_seconds_count{method=\"POST\",route=\"/api/v1/checkin\"}",
            "aurex_checkins_total",
            "aurex_sign_in_refusals_total{kind=\"password\"}",
        };
        QStringList expected;
        for (const QString &series : counted)
            expected << series + " +1";
        // Bodies in and out: at least the check-in's bytes each way.
        expected << "received grew" << "sent grew" << "1 stream" << "2 connections or more";
        // A request counts once its answer has gone, which the client may see a moment
        // before the platform does.
        QMap<QString, double> after;
        const auto deltas = [&] {
            after = metrics();
            QStringList lines;
            for (const QString &series : counted)
                lines << series + " +" + QString::number(after.value(series) - before.value(series));
            for (const char *direction : {"received", "sent"}) {
                const QString series = QStringLiteral("aurex_http_%1_bytes_total").arg(direction);
                lines << QLatin1String(direction)
                        + (after.value(series) - before.value(series) >= bytes.size() ? " grew"
                                                                                       : " short");
            }
            lines << QString::number(after.value("aurex_event_streams_open")) + " stream"
                  << (after.value("aurex_http_open_connections") >= 2 ? "2 connections or more"
                                                                      : "fewer connections");
            return lines;
        };
        QTRY_COMPARE(deltas(), expected);

        // The check-ins' histogram: its buckets, by bound, never fall, and the last one
        // holds every check-in.
        const QString prefix = "aurex_http_request_duration_seconds_bucket{method=\"POST\","
                               "route=\"/api/v1/checkin\",le=\"";
        QMap<double, double> buckets;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (it.key().startsWith(prefix)) {
                const QString bound = it.key().mid(prefix.size()).chopped(2);
                buckets.insert(bound == QLatin1String("+Inf") ? qInf() : bound.toDouble(),
                               it.value());
            }
        }
        QVERIFY(buckets.size() > 1);
        QList<double> counts = buckets.values();
        std::sort(counts.begin(), counts.end());
        QCOMPARE(buckets.values(), counts);
        QCOMPARE(counts.last(),
                 after.value("aurex_http_request_duration_seconds_count{method=\"POST\","
                             "route=\"/api/v1/checkin\"}"));
    }

    // Loopback by default; behind a trusted proxy, the client it names.
    void metricsOnlyToAllowedAddresses()
    {
        const QStringList proxy{"--trusted-proxy", "127.0.0.1"};
        const QStringList subnet = proxy + QStringList{"--metrics-from", "203.0.113.0/24"};
        QStringList answers;
        for (const auto &[serveArguments, forwardedFor] :
             {std::pair<QStringList, std::string>{{}, ""}, {proxy, "203.0.113.5"},
              {subnet, "203.0.113.5"}, {{"--metrics-from", "10.0.0.1"}, ""}}) {
            PlatformProcess platform(PlatformProcess::Options{false, serveArguments, {}});
            QVERIFY(platform.start());
            httplib::Headers headers;
            if (!forwardedFor.empty())
                headers.emplace("X-Forwarded-For", forwardedFor);
            const httplib::Result result =
                httplib::Client(platform.serverHost().toStdString()).Get("/metrics", headers);
            answers << QStringLiteral("%1 from %2: %3, %4 samples")
                           .arg(serveArguments.join(' '), forwardedFor.c_str())
                           .arg(result->status)
                           .arg(samplesOf(result->body).isEmpty() ? "no" : "some");
        }
        QCOMPARE(answers, (QStringList{" from : 200, some samples",
                                       "--trusted-proxy 127.0.0.1 from 203.0.113.5: 403, no samples",
                                       subnet.join(' ') + " from 203.0.113.5: 200, some samples",
                                       "--metrics-from 10.0.0.1 from : 403, no samples"}));
    }

    // The service unit of server/deploy, for an instance on a free port: systemd finds nothing
    // wrong with it and rates its confinement as it rates well-kept services, and the command it
    // runs serves a healthy platform from the instance's own folder.
    void theServiceUnitServesAHealthyPlatform()
    {
        QFile unit(QStringLiteral(AUREX_SOURCE_DIR "/server/deploy/aurex-platform@.service"));
        QVERIFY(unit.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(unit.readAll());
        text.replace("/usr/local/bin/aurex-platform", PlatformProcess::binary());
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString port = QString::number(probe.serverPort());
        probe.close();
        QTemporaryDir folder;
        const QString instance = folder.filePath("aurex-platform@" + port + ".service");
        QFile copy(instance);
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(text.toUtf8()) > 0);
        copy.close();

        const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
        if (analyze.isEmpty()) {
            qWarning("systemd-analyze not found (scripts/setup installs systemd): the unit's "
                     "checks are left out");
        } else {
            QProcess verify;
            verify.start(analyze, {"verify", instance});
            QVERIFY(verify.waitForFinished(60000));
            QCOMPARE(verify.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(verify.readAllStandardError()), QString());
            QProcess security;
            security.start(analyze, {"security", "--offline=yes", instance});
            QVERIFY(security.waitForFinished(60000));
            const QString rating = QString::fromUtf8(security.readAllStandardOutput())
                                       .section('\n', -2, -2)
                                       .section(": ", 1);
            QVERIFY2(rating.contains(" OK"), qPrintable(rating));
        }

        // The command the unit runs, for this instance, on SQLite.
        QString command = text.section("\nExecStart=", 1).section('\n', 0, 0);
        command.replace("%i", port);
        command.replace("/var/lib/aurex-platform/" + port, folder.path());
        command.replace("$AUREX_DATABASE_ARGS", QString());
        QStringList arguments = QProcess::splitCommand(command);
        QVERIFY(!arguments.isEmpty());
        QProcess serve;
        serve.setProcessChannelMode(QProcess::ForwardedChannels);
        serve.start(arguments.takeFirst(), arguments);
        QVERIFY(serve.waitForStarted());
        httplib::Client client("127.0.0.1", port.toInt());
        QTRY_VERIFY_WITH_TIMEOUT(client.Get("/healthz") && client.Get("/healthz")->status == 200,
                                 20000);
        QVERIFY(QFileInfo::exists(folder.filePath("platform.sqlite")));
        serve.terminate();
        if (!serve.waitForFinished(10000))
            serve.kill();
    }

};

QTEST_GUILESS_MAIN(TestPlatformMonitoring)
#include "tst_platformmonitoring.moc"
