// Searching while offline: the local copies the file database knows, found by file name (and a
// name pattern by the platform name too), drawings unless inserted files are asked for, each
// hit with its platform name, title, type and local path.

#include "workingcopytesthome.h"

#include "connector/fileversion.h"
#include "connector/platformevent.h"
#include "connector/recordfields.h"
#include "connector/titleblockmapping.h"
#include "connector/recordlist.h"
#include "workingcopy/offlineplatform.h"

#include <fzfileinfo.h>

#include <QTemporaryDir>
#include <QtTest>

class TestOfflinePlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        useTestHome(m_home.path());
        m_folder = m_home.filePath("models");
        QVERIFY(QDir().mkpath(m_folder));
        FileDatabase database{QString()};
        const QStringList files{"bridge.dwg", "deck.dwg", "piers.dxf", "logo.png"};
        for (int i = 0; i < files.size(); ++i) {
            const QString path = m_folder + '/' + files.at(i);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("bytes") == 5);
            file.close();
            database.recordExchange(path, QString("V%1").arg(i + 1), QString("AX00000%1").arg(i + 1),
                                    "2026/12/01@10:00:00:GMT",
                                    files.at(i).endsWith(".png") ? "ACAD Insert" : "drawing");
        }
        QVERIFY(database.save());
    }

    void searchFindsTheLocalCopies_data()
    {
        QTest::addColumn<QStringList>("query"); // key=value
        QTest::addColumn<QStringList>("hits");  // name title type path
        QTest::newRow("title pattern, drawings only")
            << QStringList{"_TitlePattern=*d*"}
            << QStringList{"AX000001 bridge.dwg ACAD Drawing DIR/bridge.dwg",
                           "AX000002 deck.dwg ACAD Drawing DIR/deck.dwg",
                           "AX000003 piers.dxf ACAD Drawing DIR/piers.dxf"};
        QTest::newRow("name pattern matches the platform name")
            << QStringList{"_NamePattern=*00003"}
            << QStringList{"AX000003 piers.dxf ACAD Drawing DIR/piers.dxf"};
        QTest::newRow("titles, inserted files too")
            << QStringList{"_or_title_0=LOGO.png", "_or_title_1=deck.dwg",
                           "_TypePattern=ACAD Drawing,ACAD Insert"}
            << QStringList{"AX000002 deck.dwg ACAD Drawing DIR/deck.dwg",
                           "AX000004 logo.png ACAD Insert DIR/logo.png"};
    }

    void searchFindsTheLocalCopies()
    {
        QFETCH(QStringList, query);
        QFETCH(QStringList, hits);
        FzFileInfo request;
        for (const QString &pair : query)
            setRecordProperty(request, pair.section('=', 0, 0).toLatin1().constData(),
                              pair.section('=', 1));
        OfflinePlatform platform;
        RecordList found;
        QVERIFY(platform.search(request, &found));
        QStringList lines;
        for (const FzFileInfo *hit : found) {
            lines << QStringList{recordProperty(*hit, "name"), recordTitle(*hit),
                                 recordProperty(*hit, "type"),
                                 recordProperty(*hit, "filename").replace(m_folder, "DIR")}
                         .join(' ');
        }
        lines.sort();
        QCOMPARE(lines, hits);
    }

    // Details name the version each local copy was last exchanged as, also after the user
    // saved it since (it is still based on that version), with what the copy holds now; a name
    // the file database does not know is left as asked.
    void detailsTellTheVersionALocalCopyIsBasedOn()
    {
        QFile deck(m_folder + "/deck.dwg");
        QVERIFY(deck.open(QIODevice::Append) && deck.write(" saved offline") == 14);
        deck.close();
        {
            FileDatabase database{QString()};
            QVERIFY(database.recordLocalSave(deck.fileName()));
            QVERIFY(database.save());
        }
        RecordList requests;
        for (const char *name : {"AX000001", "AX000002", "AX000099"})
            setRecordProperty(*requests.add(std::make_unique<FzFileInfo>()), "name", name);
        QVERIFY(OfflinePlatform().details(requests));
        QStringList lines;
        for (const FzFileInfo *record : requests) {
            lines << QStringList{recordProperty(*record, "name"), recordProperty(*record, "phid"),
                                 recordTitle(*record), recordProperty(*record, "_size"),
                                 recordProperty(*record, "_filemodified"),
                                 recordProperty(*record, "filename").replace(m_folder, "DIR")}
                         .join(' ');
        }
        QCOMPARE(lines, (QStringList{
                            "AX000001 V1 bridge.dwg 5 2026/12/01@10:00:00:GMT DIR/bridge.dwg",
                            "AX000002 V2 deck.dwg 19 2026/12/01@10:00:00:GMT DIR/deck.dwg",
                            "AX000099     "}));
    }

    // Offline, what needs the platform is refused, each time with the same reason; the spaces
    // are the ones remembered when last online, for this tenant only.
    void whatNeedsThePlatformIsRefused()
    {
        OfflinePlatform::rememberSpaces(QString(), {"Bridge Project", "Harbour Works"});
        OfflinePlatform::rememberSpaces("acme", {"Acme Yard"});
        OfflinePlatform::rememberSpaces("acme", {});
        OfflinePlatform platform;
        FzFileInfo record;
        record.SetTitle("deck.dwg");
        setRecordProperty(record, "name", "AX000002");
        RecordList records;
        records.addCopy(record);
        RecordList answer;
        FileVersionList versions;
        TitleBlockMapping mapping;
        QString first, last, email, id;
        int hidden = 0;
        int events = 0;
        const QStringList refused{
            platform.signInWithPassword("ann", "pw", "host", "/cas") ? "password sign-in" : "",
            platform.signInWithCookie("c", "s", "host", "/cas") ? "cookie sign-in" : "",
            platform.userInfo(&first, &last, &email, &id) ? "user" : "",
            platform.structure(record, &answer) ? "structure" : "",
            platform.downloadObject("AX000002", m_folder),
            platform.checkIn(&record, "c", nullptr, &answer) ? "check-in" : "",
            platform.lock(&record, true) ? "lock" : "",
            platform.versions(record, &versions) ? "versions" : "",
            platform.structureAsOf(record, 1, &answer) ? "structure as of" : "",
            platform.downloadVersion(record, 1, m_folder, "deck.dwg", nullptr),
            platform.restoreVersion(&record, 1, "c") ? "restore" : "",
            platform.remove(records) ? "remove" : "",
            platform.whereUsed(record, &answer, &hidden) ? "where used" : "",
            platform.titleBlockMapping(&mapping) ? "title block" : "",
            platform.autonames(2).join(' '),
            platform.readEvents("", [&events](const PlatformEvent &) { ++events; },
                                [] { return true; }) == 0 && events == 0
                ? ""
                : "events"};
        QCOMPARE(refused.join(""), QString());
        QCOMPARE(platform.download(records, nullptr),
                 QStringList{"deck.dwg: you are working offline"});
        QCOMPARE(platform.failureText("The platform refused."),
                 AurexPlatform::unreachableText("you are working offline"));
        QStringList spaces{platform.spaces().join(", ")};
        platform.setTenant("acme");
        spaces << platform.spaces().join(", ");
        platform.setTenant("nobody");
        spaces << platform.spaces().join(", ");
        QCOMPARE(spaces, (QStringList{"Bridge Project, Harbour Works", "Acme Yard", ""}));
    }

private:
    QTemporaryDir m_home;
    QString m_folder;
};

QTEST_GUILESS_MAIN(TestOfflinePlatform)
#include "tst_offlineplatform.moc"
