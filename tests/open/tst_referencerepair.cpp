#include "open/referencerepair.h"

#include "opentestsupport.h"

#include <dxftesthelpers.h>
#include <hostdocumentmanager.h>
#include <hostenvironment.h>

#include <oddbhostappservices.h>

#include <QtTest>

#include <csignal>

#include <sys/resource.h>

namespace {

// What the independent reader finds stored in a drawing, one "kind name=path" line per
// reference, image and PDF, sorted.
QStringList storedPaths(const QString &path)
{
    const QJsonObject report = DxfTest::ezdxfReport(path);
    if (report.contains("processError") || report.contains("readError"))
        return {QJsonDocument(report).toJson(QJsonDocument::Compact)};
    QStringList lines;
    const QJsonObject xrefs = report.value("xrefs").toObject();
    for (auto it = xrefs.begin(); it != xrefs.end(); ++it)
        lines.append(QStringLiteral("xref %1=%2").arg(it.key(), it.value().toString()));
    for (const QString kind : {"images", "pdfs"}) {
        for (const QJsonValue value : report.value(kind).toArray())
            lines.append(kind + QLatin1Char(' ') + value.toString());
    }
    if (!report.value("errors").toArray().isEmpty())
        lines.append(QStringLiteral("audit errors"));
    lines.sort();
    return lines;
}

} // namespace

class TestReferenceRepair : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_folder = m_root->filePath("dl");
        QVERIFY(QDir().mkpath(m_folder));
    }

    void repointsTheDownloadedStructure_data()
    {
        // files: the names the transfer reports as downloaded; onDisk: those really there;
        // inPlace: those of them in the download folder, the others still wait in the hidden
        // folder beside it (all in place: no hidden folder).
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QStringList>("inPlace");
        QTest::addColumn<QStringList>("bridge");
        QTest::addColumn<QStringList>("deck");
        // The drawings written, named where they stand once in place.
        QTest::addColumn<QStringList>("written");
        const QStringList allDrawings{"bridge.dwg", "deck.dwg", "piers.dxf"};

        const QStringList bridgeAll{"images %1/logo.png", "pdfs %1/load-table.pdf",
                                    "xref deck=%1/deck.dwg", "xref piers=%1/piers.dxf"};
        const QStringList deckAll{"images %1/deck-photo.png", "xref rebar=%1/rebar.dxf"};
        QTest::newRow("whole structure")
            << OpenTest::kStructure << OpenTest::kStructure << OpenTest::kStructure << bridgeAll
            << deckAll << allDrawings;
        // Waiting files are read and written where they wait, and point at the folder.
        QTest::newRow("whole structure waiting")
            << OpenTest::kStructure << OpenTest::kStructure << QStringList() << bridgeAll
            << deckAll << allDrawings;
        QTest::newRow("deck in place, the rest waiting")
            << OpenTest::kStructure << OpenTest::kStructure << QStringList{"deck.dwg"}
            << bridgeAll << deckAll << allDrawings;
        // bridge.dwg's old relative path leads to a stale piers.dxf: the waiting one is loaded
        // and repaired in its stead.
        QTest::newRow("bridge in place, the rest waiting")
            << OpenTest::kStructure << OpenTest::kStructure << QStringList{"bridge.dwg"}
            << bridgeAll << deckAll << allDrawings;
        // Paths naming files that did not come down stay as they were stored, whether or not
        // the transfer named them.
        const QStringList bridgeAndDeck{"bridge.dwg", "deck.dwg"};
        const QStringList bridgeStored{
            "images ..\\images\\logo.png", "pdfs C:\\Projects\\Bridge\\documents\\load-table.pdf",
            "xref deck=%1/deck.dwg", "xref piers=..\\Bridge\\piers.dxf"};
        const QStringList deckStored{"images C:\\Users\\jdoe\\Pictures\\deck-photo.png",
                                     "xref rebar=rebar.dxf"};
        QTest::newRow("drawing and one reference")
            << bridgeAndDeck << bridgeAndDeck << bridgeAndDeck << bridgeStored << deckStored
            << QStringList{"bridge.dwg"};
        QTest::newRow("named but not on disk")
            << OpenTest::kStructure << bridgeAndDeck << bridgeAndDeck << bridgeStored
            << deckStored << QStringList{"bridge.dwg"};
    }

    void repointsTheDownloadedStructure()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, onDisk);
        QFETCH(QStringList, inPlace);
        QFETCH(QStringList, bridge);
        QFETCH(QStringList, deck);
        QFETCH(QStringList, written);
        const QString waiting = inPlace == onDisk ? QString() : m_root->filePath(".dl-waiting");
        const auto at = [&](const QString &name) {
            return (inPlace.contains(name) ? m_folder : waiting) + "/" + name;
        };
        for (const QString &name : onDisk)
            QVERIFY(DxfTest::writeBytes(at(name), OpenTest::demoBytes(name)));
        // A stale drawing where the old relative path "..\Bridge\piers.dxf" leads from the
        // download folder: the reference must end at the downloaded piers.dxf, and the stale
        // file must stay untouched.
        const QString stale = m_root->filePath("Bridge/piers.dxf");
        QVERIFY(DxfTest::writeBytes(stale, OpenTest::demoBytes("rebar.dxf")));

        // The main path comes as the open dialog builds it, with "\" separators.
        QString mainPath = m_folder + "/bridge.dwg";
        mainPath.replace('/', '\\');
        ReferenceRepair repair(&m_services, nullptr);
        QVERIFY2(repair.repair(mainPath, files, m_folder, waiting),
                 qPrintable(repair.errorString()));

        bridge.replaceInStrings("%1", m_folder);
        deck.replaceInStrings("%1", m_folder);
        QCOMPARE(storedPaths(at("bridge.dwg")), bridge);
        QCOMPARE(storedPaths(at("deck.dwg")), deck);
        QCOMPARE(DxfTest::readBytes(stale), OpenTest::demoBytes("rebar.dxf"));
        if (onDisk.contains("piers.dxf")) {
            QCOMPARE(storedPaths(at("piers.dxf")),
                     QStringList{QStringLiteral("xref rebar=%1/rebar.dxf").arg(m_folder)});
        }
        QStringList writtenPaths = repair.writtenFiles();
        writtenPaths.sort();
        QCOMPARE(writtenPaths, written.replaceInStrings(QRegularExpression("^"), m_folder + "/"));
        // Nothing that waits was written in the folder, and nothing was left beside what waits.
        inPlace.sort();
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), inPlace);
        if (!waiting.isEmpty()) {
            QStringList waits;
            for (const QString &name : onDisk) {
                if (!inPlace.contains(name))
                    waits << name;
            }
            waits.sort();
            QCOMPARE(QDir(waiting).entryList(QDir::Files), waits);
        }
    }

    void changesOnlyStoredPathsOfDrawingsNotOpenInTheHost()
    {
        download(OpenTest::kStructure);
        HostEnvironment host;
        QVERIFY(host.documents()->OpenDocument(CFxString(m_folder + "/deck.dwg")));
        ReferenceRepair repair(&m_services, host.documents());
        QVERIFY(repair.repair(m_folder + "/bridge.dwg", OpenTest::kStructure, m_folder));

        // The drawing open in the host is left as it is, and said so.
        QCOMPARE(DxfTest::readBytes(m_folder + "/deck.dwg"), OpenTest::demoBytes("deck.dwg"));
        QCOMPARE(repair.openInHostFiles(), QStringList{m_folder + "/deck.dwg"});
        QStringList written = repair.writtenFiles();
        written.sort();
        QCOMPARE(written, (QStringList{m_folder + "/bridge.dwg", m_folder + "/piers.dxf"}));

        // The drawing as it was stored, but for the four stored paths (group 1), which now name
        // the folder; the image dictionary's key keeps the old path.
        const QByteArray folder = m_folder.toUtf8();
        const QList<QPair<QByteArray, QByteArray>> replaced{
            {"C:\\Projects\\Bridge\\deck.dwg", folder + "/deck.dwg"},
            {"..\\Bridge\\piers.dxf", folder + "/piers.dxf"},
            {"..\\images\\logo.png", folder + "/logo.png"},
            {"C:\\Projects\\Bridge\\documents\\load-table.pdf", folder + "/load-table.pdf"}};
        QByteArray expected = OpenTest::demoBytes("bridge.dwg");
        for (const auto &[stored, local] : replaced) {
            QCOMPARE(expected.count("  1\n" + stored + "\n"), 1);
            expected.replace("  1\n" + stored + "\n", "  1\n" + local + "\n");
        }
        QCOMPARE(DxfTest::readBytes(m_folder + "/bridge.dwg"), expected);
    }

    // Drawings that wait and cannot be written where they wait (the disk refuses the bytes)
    // are named as spoiled: they must not take their places. One in place keeps its file.
    void waitingDrawingsTheDiskRefusesAreSpoiled()
    {
        const QString waiting = m_root->filePath(".dl-waiting");
        for (const QString &name : OpenTest::kStructure) {
            const QString place = (name == "deck.dwg" ? m_folder : waiting) + "/" + name;
            QVERIFY(DxfTest::writeBytes(place, OpenTest::demoBytes(name)));
        }
        // Every write past the first kilobyte of a file fails, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit before = limit;
        limit.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        ReferenceRepair repair(&m_services, nullptr);
        const bool repaired = repair.repair(m_folder + "/bridge.dwg", OpenTest::kStructure,
                                            m_folder, waiting);
        setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY(!repaired);
        QStringList spoiled = repair.spoiledFiles();
        spoiled.sort();
        QCOMPARE(spoiled, (QStringList{m_folder + "/bridge.dwg", m_folder + "/piers.dxf"}));
        QCOMPARE(repair.writtenFiles(), QStringList());
        QCOMPARE(DxfTest::readBytes(m_folder + "/deck.dwg"), OpenTest::demoBytes("deck.dwg"));
    }

    void reportsADrawingItCannotRead()
    {
        download({"deck.dwg", "rebar.dxf"});
        ReferenceRepair repair(&m_services, nullptr);
        QVERIFY2(repair.repair(m_folder + "/deck.dwg", {"deck.dwg", "rebar.dxf"}, m_folder),
                 qPrintable(repair.errorString()));
        QCOMPARE(repair.writtenFiles(), QStringList{m_folder + "/deck.dwg"});
        const QByteArray deck = DxfTest::readBytes(m_folder + "/deck.dwg");
        // The same repair used again for a drawing it cannot read says so, and owes nothing to
        // the last one; and again for one it can read, nothing to the failed one.
        const QByteArray binary("AC1032\0binary drawing", 21);
        QVERIFY(DxfTest::writeBytes(m_folder + "/bridge.dwg", binary));
        QVERIFY(!repair.repair(m_folder + "/bridge.dwg", {"bridge.dwg", "deck.dwg"}, m_folder));
        QVERIFY(repair.errorString().contains("bridge.dwg"));
        QCOMPARE(repair.writtenFiles(), QStringList());
        QCOMPARE(DxfTest::readBytes(m_folder + "/deck.dwg"), deck);
        QVERIFY2(repair.repair(m_folder + "/deck.dwg", {"deck.dwg"}, m_folder),
                 qPrintable(repair.errorString()));
        QCOMPARE(repair.errorString(), QString());
    }

private:
    // Copies the demo files named into the download folder.
    void download(const QStringList &names)
    {
        for (const QString &name : names)
            QVERIFY(DxfTest::writeBytes(m_folder + "/" + name, OpenTest::demoBytes(name)));
    }

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_folder;
    OdDbHostAppServices m_services;
};

QTEST_MAIN(TestReferenceRepair)
#include "tst_referencerepair.moc"
