// How the module's platform hands a long download to the connector: a few files per call, so
// that the job shows its progress and can stop between calls. A stand-in platform counts the
// files that each call asks it for. The title block tags come from the platform when it keeps
// them.

#include "connector/connectorplatform.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "connector/titleblockmapping.h"
#include "support/jobcontrol.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QtTest>

#include <httplib.h>

#include <mutex>
#include <thread>

namespace {

const qint64 kMiB = 1024 * 1024;
const char kPreviewId[] = "FEDCBA9876543210FEDCBA9876543210";

// Signs anyone in and knows no file: each download call is one details request whose "refs"
// are the files of that call. Serves on a thread of its own while it lives.
struct CountingPlatform
{
    CountingPlatform()
    {
        server.Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
        server.Post("/api/v1/details", [this](const httplib::Request &req, httplib::Response &res) {
            const QJsonDocument body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body));
            std::lock_guard<std::mutex> lock(mutex);
            filesPerRequest << body.object().value("refs").toArray().size();
            res.set_content("{\"results\":[]}", "application/json");
        });
        // A preview for the first file asked for, none for the others.
        server.Post("/api/v1/previews", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"results\":[{\"phid\":\"" + std::string(kPreviewId)
                                + "\",\"title\":\"quay.jpg\"},{}]}",
                            "application/json");
        });
        server.Get("/api/v1/objects/" + std::string(kPreviewId) + "/content",
                   [](const httplib::Request &, httplib::Response &res) {
                       const QByteArray bytes("preview of quay");
                       res.set_header("X-Aurex-SHA256",
                                      QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)
                                          .toHex()
                                          .toStdString());
                       res.set_content(bytes.toStdString(), "image/jpeg");
                   });
        // Whatever object is asked for, the versions of another.
        server.Get(R"(/api/v1/objects/[0-9A-F]+/versions)",
                   [](const httplib::Request &, httplib::Response &res) {
                       res.set_content("{\"object\":{\"name\":\"AX000002\",\"title\":"
                                       "\"other.dwg\"},\"versions\":[{\"revision\":1,"
                                       "\"_CheckIn\":\"2026/12/01@10:00:00:GMT\"}]}",
                                       "application/json");
                   });
        host = QStringLiteral("http://127.0.0.1:%1").arg(server.bind_to_any_port("127.0.0.1"));
        thread = std::thread([this] { server.listen_after_bind(); });
        // A server stopped before it listens would listen for ever.
        for (int waited = 0; !server.is_running() && waited < 5000; ++waited)
            QThread::msleep(1);
    }
    // Points platform here and signs in.
    bool signIn(ConnectorPlatform &platform) const
    {
        platform.setServer(host);
        return platform.signInWithPassword("u", "p", host, "/cas");
    }

    ~CountingPlatform()
    {
        server.stop();
        thread.join();
    }

    std::mutex mutex; // guards filesPerRequest
    QList<int> filesPerRequest;
    QString host;
    httplib::Server server;
    std::thread thread;
};

} // namespace

class TestConnectorPlatform : public QObject
{
    Q_OBJECT

private slots:
    void downloadGoesInBatches_data()
    {
        QTest::addColumn<QVector<qint64>>("sizes");
        QTest::addColumn<QList<int>>("filesPerRequest");
        QTest::newRow("a hundred and fifty small files, sixty-four at a time")
            << QVector<qint64>(150, 1000) << QList<int>{64, 64, 22};
        QTest::newRow("files of 3 MiB, two at a time")
            << QVector<qint64>(5, 3 * kMiB) << QList<int>{2, 2, 1};
        QTest::newRow("two files of 4 MiB fill one call")
            << QVector<qint64>(4, 4 * kMiB) << QList<int>{2, 2};
        QTest::newRow("sixty-four files of 128 KiB reach both limits at once")
            << QVector<qint64>(65, 128 * 1024) << QList<int>{64, 1};
        QTest::newRow("a file over the limit goes alone")
            << QVector<qint64>{1000, 20 * kMiB, 1000} << QList<int>{1, 1, 1};
    }

    void downloadGoesInBatches()
    {
        QFETCH(QVector<qint64>, sizes);
        QFETCH(QList<int>, filesPerRequest);
        CountingPlatform counting;
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        RecordList records;
        for (int i = 0; i < sizes.size(); ++i) {
            FzFileInfo *record = records.add(std::make_unique<FzFileInfo>());
            record->SetTitle(QStringLiteral("file%1.dwg").arg(i).toStdString());
            setRecordProperty(*record, "_size", QString::number(sizes.at(i)));
        }
        JobControl control;
        const QStringList failures = platform.download(records, &control);
        {
            std::lock_guard<std::mutex> lock(counting.mutex);
            QCOMPARE(counting.filesPerRequest, filesPerRequest);
        }
        QCOMPARE(failures.size(), sizes.size());
        QCOMPARE(failures.first(), QStringLiteral("file0.dwg: not found on the platform"));
        QCOMPARE(control.progress().processedFiles, qint64(sizes.size()));
        // The transfer box names the file each request begins with: at the end, the last's.
        QCOMPARE(control.progress().currentName,
                 QStringLiteral("file%1.dwg").arg(sizes.size() - filesPerRequest.last()));
    }

    // The administrator's title block tags when the platform keeps them; no answer when it
    // keeps none (a platform from before title blocks answers 404), so the save reads the
    // usual tags.
    void titleBlockMappingIsThePlatformsOrNone()
    {
        CountingPlatform counting;
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        TitleBlockMapping mapping;
        QVERIFY(!platform.titleBlockMapping(&mapping));

        counting.server.Get("/api/v1/titleblock", [](const httplib::Request &,
                                                     httplib::Response &res) {
            res.set_content(R"({"mapping":{"number":["blatt_nr"],"title":["Titel"]}})",
                            "application/json");
        });
        QVERIFY(platform.titleBlockMapping(&mapping));
        QStringList tags;
        for (const auto &property : mapping.properties())
            tags << QLatin1String(property.first) + '=' + property.second.join('|');
        QCOMPARE(tags, (QStringList{"_DrawingNumber=BLATT_NR", "_DrawingTitle=TITEL",
                                    "_DrawingRevision=", "_DrawingSheet="}));
    }

    // The spaces a user is a member of, and of those the ones she may save to: a reader's
    // space is left out of the second list; a platform that names no roles lets her save to
    // all.
    void writableSpacesLeaveOutWhereTheUserOnlyReads()
    {
        CountingPlatform counting;
        QByteArray answer = R"({"spaces":["Bridge Project","Common Space","Harbour Works"],
                               "roles":{"Bridge Project":"editor","Common Space":"reader",
                                        "Harbour Works":"manager"}})";
        counting.server.Get("/api/v1/spaces",
                            [&answer](const httplib::Request &, httplib::Response &res) {
                                res.set_content(answer.toStdString(), "application/json");
                            });
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        const QStringList all{"Bridge Project", "Common Space", "Harbour Works"};
        QCOMPARE(QList<QStringList>({platform.spaces(), platform.writableSpaces()}),
                 QList<QStringList>({all, {"Bridge Project", "Harbour Works"}}));
        answer = R"({"spaces":["Bridge Project","Common Space","Harbour Works"]})";
        QCOMPARE(platform.writableSpaces(), all);
    }

    // A where-used answer replaces what the list held before: asked twice, a drawing is
    // listed once; asked of a platform that fails, nothing is left of the last answer.
    void whereUsedAnswersReplaceTheLastOnes()
    {
        CountingPlatform counting;
        const char phid[] = "0123456789ABCDEF0123456789ABCDEF";
        counting.server.Get(std::string("/api/v1/objects/") + phid + "/whereused",
                            [](const httplib::Request &, httplib::Response &res) {
                                res.set_content(R"({"drawings":[{"title":"deck.dwg"}],
                                                    "hidden":2})",
                                                "application/json");
                            });
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        FzFileInfo object;
        object.SetProperty("phid", phid);
        RecordList drawings;
        int hidden = 0;
        QStringList answers;
        for (const char *asked : {phid, phid, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}) {
            object.SetProperty("phid", asked);
            const bool answered = platform.whereUsed(object, &drawings, &hidden);
            QStringList titles;
            for (const FzFileInfo *drawing : drawings.records())
                titles << recordTitle(*drawing);
            answers << QString("%1: %2 and %3 hidden")
                           .arg(answered ? "answered" : "failed", titles.join(' '))
                           .arg(hidden);
        }
        QCOMPARE(answers, QStringList({"answered: deck.dwg and 2 hidden",
                                       "answered: deck.dwg and 2 hidden",
                                       "failed:  and 0 hidden"}));
    }

    // Why a call failed, as the user reads it: a platform that answered no, in the caller's
    // words; a platform nobody answers for, that it cannot be reached and why.
    // The preview the platform has for a file arrives in the folder under the file's base
    // name; a file without one gets none.
    void previewsArriveUnderTheFilesNames()
    {
        CountingPlatform counting;
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        RecordList records;
        for (const char *title : {"quay.dwg", "pier.dwg"}) {
            FzFileInfo record;
            record.SetTitle(title);
            record.SetProperty("name", std::string("AX-") + title);
            records.addCopy(record);
        }
        QTemporaryDir folder;
        QVERIFY(platform.downloadPreviews(records, folder.path()));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"quay.jpg"});
        QFile preview(folder.filePath("quay.jpg"));
        QVERIFY(preview.open(QIODevice::ReadOnly));
        QCOMPARE(preview.readAll(), QByteArray("preview of quay"));
    }

    // An answer about another object than the one asked for (as when another thread's call
    // replaced the shared answer each time) is no answer, never an empty history.
    void versionsOfAnotherObjectAreNoAnswer()
    {
        CountingPlatform counting;
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        QVERIFY(counting.signIn(platform));
        FzFileInfo record;
        record.SetProperty("phid", "0123456789ABCDEF0123456789ABCDEF");
        record.SetProperty("name", "AX000001");
        FileVersionList versions;
        QVERIFY(!platform.versions(record, &versions));
        QCOMPARE(versions.size(), 0);
    }

    void failureSaysWhetherThePlatformAnswered()
    {
        QStringList said;
        QString gone;
        {
            CountingPlatform counting; // knows no where-used: answers 404
            gone = counting.host;
            ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
            QVERIFY(counting.signIn(platform));
            FzFileInfo object;
            object.SetProperty("phid", "0123456789abcdef0123456789abcdef");
            RecordList drawings;
            int hidden = 0;
            QVERIFY(!platform.whereUsed(object, &drawings, &hidden));
            said << platform.failureText("The platform refused.");
        }
        // Nothing listens where the platform was any more.
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        platform.setServer(gone);
        FzFileInfo record;
        record.SetProperty("phid", "0123456789abcdef0123456789abcdef");
        RecordList records;
        records.addCopy(record);
        QVERIFY(!platform.details(records));
        said << platform.failureText("The platform refused.");
        // A history or an earlier structure that could not be asked for is no empty answer.
        FileVersionList versions;
        RecordList structure;
        QVERIFY(!platform.versions(record, &versions));
        QVERIFY(!platform.structureAsOf(record, 1, &structure));
        QCOMPARE(said, (QStringList{"The platform refused.",
                                    "The AUREX Platform cannot be reached: Connection refused."}));
    }
};

QTEST_GUILESS_MAIN(TestConnectorPlatform)
#include "tst_connectorplatform.moc"
