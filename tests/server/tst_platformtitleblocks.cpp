// What drawings' title blocks say, on real platforms on SQLite and (where it is installed)
// PostgreSQL: drawing properties stored with each version and found by searches, the drawings
// that use a file across spaces as each caller may see them, and the tenant's mapping of
// attribute tags as the administrator sets it and users read it.

#include "databaseplatforms.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

#include <memory>

namespace {

const char kSpanOne[] = "Span One";
const char kSpanTwo[] = "Span Two";
const char kElsewhere[] = "Elsewhere";

QJsonObject file(const QString &title, const QString &name, const QString &space,
                 int parent = -1)
{
    QJsonObject record{{"parent", parent}, {"title", title}, {"name", name},
                       {"collabspace", space}};
    if (parent >= 0)
        record.insert("_RelationToParent", "CADSubcomponent");
    return record;
}

QJsonObject withDrawing(QJsonObject record, const QStringList &values)
{
    const char *keys[] = {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision", "_DrawingSheet"};
    for (int i = 0; i < values.size(); ++i)
        record.insert(keys[i], values.at(i));
    return record;
}

// "number|title|revision|sheet" as a record carries them, "-" for a key it leaves out.
QString drawingOf(const QJsonObject &record)
{
    QStringList values;
    for (const char *key : {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision",
                            "_DrawingSheet"})
        values << (record.contains(key) ? record.value(key).toString() : QStringLiteral("-"));
    return values.join('|');
}

QStringList titlesFound(PlatformClient &client, const QJsonObject &query)
{
    QJsonObject answer;
    if (client.post("/api/v1/search", {{"query", query}}, &answer) != 200)
        return {"search failed"};
    QStringList titles;
    for (const QJsonValue object : answer["objects"].toArray())
        titles << object["title"].toString();
    return titles;
}

} // namespace

class TestPlatformTitleBlocks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(m_platforms.start(prepare, &problem), qPrintable(problem));
    }

    void eachDatabase_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }

    void drawingPropertiesGoWithTheirVersions_data() { eachDatabase_data(); }
    void drawingPropertiesGoWithTheirVersions()
    {
        QFETCH(bool, postgres);
        if (!m_platforms.of(postgres))
            QSKIP("PostgreSQL is not installed");
        PlatformProcess &platform = *m_platforms.of(postgres);
        PlatformClient alice(platform.serverHost());
        QCOMPARE(alice.signIn("alice", "alice-password"), 200);
        const QJsonObject deck = file("deck.dwg", alice.autoname(), kSpanOne);
        const QJsonObject rebar = file("deck-rebar.dxf", alice.autoname(), kSpanOne, 0);
        QJsonObject answer;
        QCOMPARE(alice.checkIn({withDrawing(deck, {"BR-204-S", "Deck slab", "A", "1 of 2"}),
                                rebar},
                               {"deck one", "rebar"}, &answer),
                 200);
        QStringList stored;
        for (const QJsonValue object : answer["objects"].toArray())
            stored << object["title"].toString() + " " + drawingOf(object.toObject());
        QCOMPARE(stored, (QStringList{"deck.dwg BR-204-S|Deck slab|A|1 of 2",
                                      "deck-rebar.dxf -|-|-|-"}));
        const QString phid = answer["objects"].toArray().at(0)["phid"].toString();

        // Found by number and by title, in its space and in all, with any letter case.
        const QStringList deckOnly{"deck.dwg"};
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*br-204*"}, {"_CS", kSpanOne}}),
                 deckOnly);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*br-204*"}}), deckOnly);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "BR-204-?"}}), QStringList());
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "br-*-s"}}), deckOnly);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*DECK SLAB*"}, {"_TypePattern", "*"}}),
                 deckOnly);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*br-204*"}, {"_CS", kSpanTwo}}),
                 QStringList());
        // The title pattern is the file name's alone.
        QCOMPARE(titlesFound(alice, {{"_TitlePattern", "*br-204*"}}), QStringList());

        // Changed bytes carry what their title block says now (the sheet no longer); the same
        // bytes sent again without the properties keep them.
        QCOMPARE(alice.checkIn({withDrawing(deck, {"BR-204-T", "Deck slab", "B"})},
                               {"deck two"}),
                 200);
        QCOMPARE(alice.checkIn({deck}, {"deck two"}), 200);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*BR-204-T*"}}), deckOnly);
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*BR-204-S*"}}), QStringList());

        QCOMPARE(alice.get("/api/v1/objects/" + phid, &answer), 200);
        QCOMPARE(answer["revision"].toString() + " " + drawingOf(answer),
                 QString("2 BR-204-T|Deck slab|B|-"));
        // Each version as the connector merges it into the object's record, and as a whole.
        QJsonObject versions;
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions", &versions), 200);
        QStringList merged;
        for (const QJsonValue version : versions["versions"].toArray()) {
            QJsonObject record = versions["object"].toObject();
            const QJsonObject entry = version.toObject();
            for (auto it = entry.begin(); it != entry.end(); ++it)
                record.insert(it.key(), it.value());
            merged << record["revision"].toString() + " " + drawingOf(record);
        }
        QCOMPARE(merged, (QStringList{"2 BR-204-T|Deck slab|B|-", "1 BR-204-S|Deck slab|A|1 of 2"}));
        QStringList whole;
        for (const int revision : {1, 2}) {
            QCOMPARE(alice.get(QStringLiteral("/api/v1/objects/%1/versions/%2").arg(phid).arg(revision),
                               &answer),
                     200);
            whole << drawingOf(answer);
        }
        QCOMPARE(whole, (QStringList{"BR-204-S|Deck slab|A|1 of 2", "BR-204-T|Deck slab|B|-"}));
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions/1/structure", &answer), 200);
        QCOMPARE(drawingOf(answer["objects"].toArray().at(0).toObject()),
                 QString("BR-204-S|Deck slab|A|1 of 2"));

        // Restoring the first version brings back what its title block said.
        QCOMPARE(alice.post("/api/v1/objects/" + phid + "/versions/1/restore", {}, &answer), 200);
        QCOMPARE(answer["revision"].toString() + " " + drawingOf(answer),
                 QString("3 BR-204-S|Deck slab|A|1 of 2"));
        QCOMPARE(titlesFound(alice, {{"_NamePattern", "*br-204-s*"}}), deckOnly);
    }

    void unfitValuesRefuseTheWholeCheckIn_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        const QString longest(1024, QChar('N'));
        // 1,024 characters outside the basic plane: 2,048 UTF-16 units.
        QString wide;
        for (int i = 0; i < 1024; ++i)
            wide += QString::fromUcs4(U"\U0001D538");
        for (const bool postgres : {false, true}) {
            const char *database = postgres ? "PostgreSQL" : "SQLite";
            QTest::addRow("%s 1,024 characters", database)
                << postgres << "_DrawingNumber" << longest << 200 << QString();
            QTest::addRow("%s 1,024 wide characters", database)
                << postgres << "_DrawingTitle" << wide << 200 << QString();
            QTest::addRow("%s 1,025 characters", database)
                << postgres << "_DrawingNumber" << longest + "N" << 400
                << "the _DrawingNumber of pier.dwg is longer than 1024 characters";
            QTest::addRow("%s tab", database) << postgres << "_DrawingTitle" << "Pier\tcap" << 400
                                              << "the _DrawingTitle of pier.dwg holds a control "
                                                 "character";
            QTest::addRow("%s C1 control", database)
                << postgres << "_DrawingSheet" << QString("1\u0085") << 400
                << "the _DrawingSheet of pier.dwg holds a control character";
            QTest::addRow("%s delete", database)
                << postgres << "_DrawingRevision" << QString("A\u007f") << 400
                << "the _DrawingRevision of pier.dwg holds a control character";
        }
    }

    void unfitValuesRefuseTheWholeCheckIn()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, status);
        QFETCH(QString, error);
        if (!m_platforms.of(postgres))
            QSKIP("PostgreSQL is not installed");
        PlatformProcess &platform = *m_platforms.of(postgres);
        PlatformClient bob(platform.serverHost());
        QCOMPARE(bob.signIn("bob", "bob-password"), 200);
        const QString tag = QTest::currentDataTag();
        const QJsonObject pier = file("pier.dwg", bob.autoname(), kSpanOne);
        // A good file beside the one in question: stored with it or not at all.
        QJsonObject beside = file("pier-beside " + tag + ".dxf", bob.autoname(), kSpanOne, 0);
        beside.insert("_DrawingNumber", "PB-" + tag);
        QJsonObject record = pier;
        record.insert(key, value);
        QJsonObject answer;
        QCOMPARE(bob.checkIn({record, beside}, {"pier " + tag.toUtf8(), "beside"}, &answer),
                 status);
        QCOMPARE(answer["error"].toString(), error);
        const QStringList found = titlesFound(bob, {{"_NamePattern", "PB-" + tag}});
        if (status != 200) {
            QCOMPARE(found, QStringList());
            return;
        }
        QCOMPARE(found, QStringList{"pier-beside " + tag + ".dxf"});
        const QJsonObject stored = answer["objects"].toArray().at(0).toObject();
        QCOMPARE(stored[key].toString(), value);
    }

    void whereUsedNamesWhatTheCallerMaySee_data() { eachDatabase_data(); }
    void whereUsedNamesWhatTheCallerMaySee()
    {
        QFETCH(bool, postgres);
        if (!m_platforms.of(postgres))
            QSKIP("PostgreSQL is not installed");
        PlatformProcess &platform = *m_platforms.of(postgres);
        PlatformClient alice(platform.serverHost());
        PlatformClient bob(platform.serverHost());
        PlatformClient carol(platform.serverHost());
        QCOMPARE(alice.signIn("alice", "alice-password"), 200);
        QCOMPARE(bob.signIn("bob", "bob-password"), 200);
        QCOMPARE(carol.signIn("carol", "carol-password"), 200);
        // In span one A and B reference the rebar, A with a preview; C in span two references A
        // and is referenced by A (a cycle); D in span one references C; E referenced the rebar
        // and is in the trash.
        const auto unselected = [](QJsonObject record) {
            record.insert("selected", "false");
            return record;
        };
        const QJsonObject a = file("A.dwg", alice.autoname(), kSpanOne);
        const QJsonObject b = file("B.dwg", alice.autoname(), kSpanOne);
        const QJsonObject c = file("C.dwg", alice.autoname(), kSpanTwo);
        const QJsonObject d = file("D.dwg", alice.autoname(), kSpanOne);
        const QJsonObject e = file("E.dwg", alice.autoname(), kSpanOne);
        QJsonObject rebar = file("rebar.dxf", alice.autoname(), kSpanOne, 0);
        const QJsonObject preview{{"parent", 0}, {"title", "A.jpg"}, {"name", ""},
                                  {"collabspace", kSpanOne},
                                  {"_RelationToParent", "DerivedOutputOf"}};
        QCOMPARE(alice.checkIn({withDrawing(a, {"WU-A"}), rebar, preview},
                               {"a", "rebar", "preview"}),
                 200);
        rebar.insert("selected", "false");
        QCOMPARE(alice.checkIn({b, rebar}, {"b", ""}), 200);
        QCOMPARE(alice.checkIn({c, file("A.dwg", a["name"].toString(), kSpanOne, 0)},
                               {"c", "a"}),
                 200);
        QCOMPARE(alice.checkIn({unselected(a), unselected(file("C.dwg", c["name"].toString(),
                                                                kSpanTwo, 0))},
                               {"", ""}),
                 200);
        QCOMPARE(alice.checkIn({d, unselected(file("C.dwg", c["name"].toString(), kSpanTwo, 0))},
                               {"d", ""}),
                 200);
        QCOMPARE(alice.checkIn({e, rebar}, {"e", ""}), 200);
        const QJsonObject gone = alice.find("E.dwg");
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{QJsonObject{{"phid", gone["phid"]}}}}}),
                 200);

        const QString rebarPhid = alice.find("rebar.dxf")["phid"].toString();
        QHash<QString, QString> title{{rebarPhid, "rebar"}};
        for (const char *drawing : {"A.dwg", "B.dwg", "C.dwg", "D.dwg"})
            title.insert(alice.find(drawing)["phid"].toString(), drawing);
        const auto whereUsed = [&](PlatformClient &client, const QString &phid) {
            QJsonObject answer;
            const int status = client.get("/api/v1/objects/" + phid + "/whereused", &answer);
            QStringList lines{QStringLiteral("%1 %2 hidden %3")
                                  .arg(status)
                                  .arg(answer["object"].toObject()["title"].toString())
                                  .arg(answer["hidden"].toInt())};
            for (const QJsonValue drawing : answer["drawings"].toArray()) {
                lines << QStringLiteral("%1 %2 via %3 in %4 by %5 %6")
                             .arg(drawing["title"].toString(), drawing["_Depth"].toString(),
                                  title.value(drawing["_ReferencedVia"].toString(), "-"),
                                  drawing["_CS"].toString(), drawing["_ModifiedBy"].toString(),
                                  drawingOf(drawing.toObject()));
            }
            return lines;
        };
        QCOMPARE(whereUsed(alice, rebarPhid),
                 (QStringList{"200 rebar.dxf hidden 0",
                              "A.dwg 1 via rebar in Span One by alice WU-A|-|-|-",
                              "B.dwg 1 via rebar in Span One by alice -|-|-|-",
                              "C.dwg 2 via A.dwg in Span Two by alice -|-|-|-",
                              "D.dwg 3 via C.dwg in Span One by alice -|-|-|-"}));
        // bob is not in span two: C is counted, not named, and the walk goes on through it.
        QCOMPARE(whereUsed(bob, rebarPhid),
                 (QStringList{"200 rebar.dxf hidden 1",
                              "A.dwg 1 via rebar in Span One by alice WU-A|-|-|-",
                              "B.dwg 1 via rebar in Span One by alice -|-|-|-",
                              "D.dwg 3 via - in Span One by alice -|-|-|-"}));
        // From inside the cycle: A is used by C, and through C by D.
        QCOMPARE(whereUsed(alice, alice.find("A.dwg")["phid"].toString()),
                 (QStringList{"200 A.dwg hidden 0",
                              "C.dwg 1 via A.dwg in Span Two by alice -|-|-|-",
                              "D.dwg 2 via C.dwg in Span One by alice -|-|-|-"}));
        QCOMPARE(whereUsed(alice, alice.find("D.dwg")["phid"].toString()),
                 QStringList{"200 D.dwg hidden 0"});
        // Unknown to carol, in the trash, or not there at all: 404 alike.
        const QStringList unknown{"404  hidden 0"};
        QCOMPARE(whereUsed(carol, rebarPhid), unknown);
        QCOMPARE(whereUsed(alice, gone["phid"].toString()), unknown);
        QCOMPARE(whereUsed(alice, QString(32, QChar('0'))), unknown);
    }

    void theMappingIsTheAdministratorsAndUsersReadIt_data() { eachDatabase_data(); }
    void theMappingIsTheAdministratorsAndUsersReadIt()
    {
        QFETCH(bool, postgres);
        if (!m_platforms.of(postgres))
            QSKIP("PostgreSQL is not installed");
        PlatformProcess &platform = *m_platforms.of(postgres);
        PlatformClient bob(platform.serverHost());
        QCOMPARE(bob.signIn("bob", "bob-password"), 200);
        const auto mapping = [&bob] {
            QJsonObject answer;
            const int status = bob.get("/api/v1/titleblock", &answer);
            QStringList lines{QString::number(status)};
            const QJsonObject tags = answer["mapping"].toObject();
            for (const char *property : {"number", "title", "revision", "sheet"}) {
                lines << QString(property) + ":"
                        + tags[property].toVariant().toStringList().join(' ');
            }
            return lines;
        };
        const QStringList defaults{"200", "number:DWG_NO DRAWING_NUMBER DWGNO NUMBER",
                                   "title:TITLE DWG_TITLE", "revision:REV REVISION",
                                   "sheet:SHEET"};
        QCOMPARE(mapping(), defaults);
        QCOMPARE(platform.run({"tenant", "add", "Harbour"}).exitCode, 0);

        const auto exitCodes = [&platform](const QList<QStringList> &commands) {
            QList<int> codes;
            for (const QStringList &command : commands)
                codes << platform.run(QStringList{"titleblock"} + command).exitCode;
            return codes;
        };
        QCOMPARE(exitCodes({{"set", "number", "dwg-no", "Drawing.No", "dwg-no"},
                            {"set", "sheet"},
                            {"set", "title", "HARBOUR_TITLE", "--tenant", "Harbour"},
                            {"set", "title", QString(255, QChar('t'))}}),
                 (QList<int>{0, 0, 0, 0}));
        const QStringList set{"200", "number:DWG-NO DRAWING.NO", "title:" + QString(255, QChar('T')),
                              "revision:REV REVISION", "sheet:"};
        QCOMPARE(mapping(), set);
        // Wrong usage changes nothing; an unknown tenant is refused.
        QCOMPARE(exitCodes({{"set", "colour", "COLOUR"},
                            {"set", "number", "DWG NO"},
                            {"set", "number", ""},
                            {"set", "number", "DWG/NO"},
                            {"set", "title", QString(256, QChar('t'))},
                            {"set"},
                            {"show", "number"},
                            {"shuffle"},
                            {"show", "--tenant", "Nowhere"}}),
                 (QList<int>{2, 2, 2, 2, 2, 2, 2, 2, 1}));
        QCOMPARE(mapping(), set);
        const PlatformProcess::Result shown = platform.run({"titleblock", "show"});
        QCOMPARE(shown.out, "property  tags\n"
                            "number    DWG-NO DRAWING.NO\n"
                            "title     " + QByteArray(255, 'T') + "\n"
                            "revision  REV REVISION\n"
                            "sheet     -\n");
        const PlatformProcess::Result harbour =
            platform.run({"titleblock", "show", "--tenant", "Harbour", "--json"});
        QCOMPARE(QJsonDocument::fromJson(harbour.out)["mapping"].toObject()["title"].toArray(),
                 (QJsonArray{"HARBOUR_TITLE"}));

        QCOMPARE(exitCodes({{"reset"}}), QList<int>{0});
        QCOMPARE(mapping(), defaults);
        PlatformClient nobody(platform.serverHost());
        QJsonObject answer;
        QCOMPARE(nobody.get("/api/v1/titleblock", &answer), 401);
    }

    void theDemoDrawingsCarryTheirTitleBlocks()
    {
        QString problem;
        const std::unique_ptr<PlatformProcess> demo = PlatformProcess::startDemo(&problem);
        QVERIFY2(demo, qPrintable(problem));
        PlatformClient bob(demo->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        QStringList drawings;
        for (const char *title : {"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf", "tower.dwg"})
            drawings << QString(title) + " " + drawingOf(bob.find(title));
        QCOMPARE(drawings,
                 (QStringList{"bridge.dwg BR-100-G|Bridge general arrangement|C|1 of 4",
                              "deck.dwg BR-204-S|Deck slab reinforcement|B|2 of 4",
                              "piers.dxf BR-310-S|Piers elevation|A|3 of 4",
                              "rebar.dxf -|-|-|-", "tower.dwg TW-100-A|Tower elevation|D|1 of 3"}));
        QCOMPARE(titlesFound(bob, {{"_NamePattern", "*br-204*"}}), QStringList{"deck.dwg"});
        QJsonObject answer;
        QCOMPARE(bob.get("/api/v1/objects/" + bob.find("rebar.dxf")["phid"].toString()
                             + "/whereused",
                         &answer),
                 200);
        QStringList used;
        for (const QJsonValue drawing : answer["drawings"].toArray())
            used << drawing["title"].toString() + " " + drawing["_Depth"].toString();
        QCOMPARE(used, (QStringList{"deck.dwg 1", "piers.dxf 1", "bridge.dwg 2"}));
    }

private:
    // alice is in both spans, bob in span one only, carol elsewhere.
    static bool prepare(PlatformProcess &platform)
    {
        for (const char *login : {"alice", "bob", "carol"}) {
            if (!platform.addUser(login, QString(login) + "-password", login, "Tester"))
                return false;
        }
        return platform.addSpace(kSpanOne, {"alice", "bob"})
            && platform.addSpace(kSpanTwo, {"alice"}) && platform.addSpace(kElsewhere, {"carol"});
    }

    DatabasePlatforms m_platforms;
};

QTEST_GUILESS_MAIN(TestPlatformTitleBlocks)
#include "tst_platformtitleblocks.moc"
