// What drawings' title blocks say, on real platforms on SQLite and (where it is installed)
// PostgreSQL: drawing properties stored with each version and found by searches, the drawings
// that use a file across spaces as each caller may see them, and the tenant's mapping of
// attribute tags as the administrator sets it and users read it.

#include "databaseplatforms.h"
#include "platformtestcase.h"

namespace {

const char kSpanOne[] = "Span One";
const char kSpanTwo[] = "Span Two";

QJsonObject withDrawing(QJsonObject record, const QStringList &values)
{
    const char *keys[] = {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision", "_DrawingSheet"};
    for (int i = 0; i < values.size(); ++i)
        record.insert(keys[i], values.at(i));
    return record;
}

// "number|title|revision|sheet" as a record carries them, "-" for a key it leaves out.
QString drawingOf(const QJsonValue &record)
{
    QStringList values;
    for (const char *key : {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision",
                            "_DrawingSheet"})
        values << (record.toObject().contains(key) ? record[key].toString() : QStringLiteral("-"));
    return values.join('|');
}

// The titles each search finds, joined by ",".
QStringList searches(PlatformClient &client, const QList<QJsonObject> &queries)
{
    QStringList found;
    for (const QJsonObject &query : queries) {
        QJsonObject answer;
        const int status = client.post("/api/v1/search", {{"query", query}}, &answer);
        found << (status == 200 ? PlatformTestCase::lines(answer["objects"].toArray(), {"title"})
                                      .join(',')
                                : QStringLiteral("status %1").arg(status));
    }
    return found;
}

} // namespace

class TestPlatformTitleBlocks : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(m_platforms.start(prepare, &problem), qPrintable(problem));
    }

    void drawingPropertiesGoWithTheirVersions_data() { eachDatabase(); }
    void drawingPropertiesGoWithTheirVersions()
    {
        QFETCH(bool, postgres);
        PlatformProcess *platform = m_platforms.of(postgres);
        if (!platform)
            QSKIP("PostgreSQL is not installed");
        SignedIn alice(platform->serverHost(), "alice", "alice-password");
        const QJsonObject deck = record("deck.dwg", alice.autoname(), kSpanOne);
        const QJsonObject rebar = record("deck-rebar.dxf", alice.autoname(), kSpanOne, 0);
        QJsonObject answer;
        QCOMPARE(alice.checkIn({withDrawing(deck, {"BR-204-S", "Deck slab", "A", "1 of 2"}), rebar},
                               {"deck one", "rebar"}, &answer),
                 200);
        QStringList stored;
        for (const QJsonValue object : answer["objects"].toArray())
            stored << object["title"].toString() + " " + drawingOf(object);
        QCOMPARE(stored, (QStringList{"deck.dwg BR-204-S|Deck slab|A|1 of 2",
                                      "deck-rebar.dxf -|-|-|-"}));
        const QString phid = answer["objects"].toArray().at(0)["phid"].toString();

        // Found by number and by title, in its space and in all, with any letter case; the
        // title pattern is the file name's alone.
        QCOMPARE(searches(alice, {{{"_NamePattern", "*br-204*"}, {"_CS", kSpanOne}},
                                  {{"_NamePattern", "*br-204*"}},
                                  {{"_NamePattern", "BR-204-?"}},
                                  {{"_NamePattern", "br-*-s"}},
                                  {{"_NamePattern", "*DECK SLAB*"}, {"_TypePattern", "*"}},
                                  {{"_NamePattern", "*br-204*"}, {"_CS", kSpanTwo}},
                                  {{"_TitlePattern", "*br-204*"}}}),
                 (QStringList{"deck.dwg", "deck.dwg", "", "deck.dwg", "deck.dwg", "", ""}));

        // Changed bytes carry what their title block says now (the sheet no longer); the same
        // bytes sent again without the properties keep them.
        QCOMPARE(alice.checkIn({withDrawing(deck, {"BR-204-T", "Deck slab", "B"})}, {"deck two"}),
                 200);
        QCOMPARE(alice.checkIn({deck}, {"deck two"}), 200);
        QCOMPARE(searches(alice, {{{"_NamePattern", "*BR-204-T*"}}, {{"_NamePattern", "*BR-204-S*"}}}),
                 (QStringList{"deck.dwg", ""}));
        QCOMPARE(alice.get("/api/v1/objects/" + phid, &answer), 200);
        QCOMPARE(answer["revision"].toString() + " " + drawingOf(answer),
                 QString("2 BR-204-T|Deck slab|B|-"));
        // Each version as the connector merges it into the object's record, as a whole, and
        // as its structure lists it.
        QJsonObject versions;
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions", &versions), 200);
        QStringList seen;
        for (const QJsonValue version : versions["versions"].toArray()) {
            QJsonObject record = versions["object"].toObject();
            const QJsonObject entry = version.toObject();
            for (auto it = entry.begin(); it != entry.end(); ++it)
                record.insert(it.key(), it.value());
            seen << "merged " + record["revision"].toString() + " " + drawingOf(record);
        }
        for (const QString path : {"/versions/1", "/versions/2"}) {
            QCOMPARE(alice.get("/api/v1/objects/" + phid + path, &answer), 200);
            seen << path + " " + drawingOf(answer);
        }
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions/1/structure", &answer), 200);
        seen << "structure of 1 " + drawingOf(answer.value("objects")[0]);
        QCOMPARE(seen, (QStringList{"merged 2 BR-204-T|Deck slab|B|-",
                                    "merged 1 BR-204-S|Deck slab|A|1 of 2",
                                    "/versions/1 BR-204-S|Deck slab|A|1 of 2",
                                    "/versions/2 BR-204-T|Deck slab|B|-",
                                    "structure of 1 BR-204-S|Deck slab|A|1 of 2"}));

        // Restoring the first version brings back what its title block said.
        QCOMPARE(alice.post("/api/v1/objects/" + phid + "/versions/1/restore", {}, &answer), 200);
        QCOMPARE(answer["revision"].toString() + " " + drawingOf(answer),
                 QString("3 BR-204-S|Deck slab|A|1 of 2"));
        QCOMPARE(searches(alice, {{{"_NamePattern", "*br-204-s*"}}}), QStringList{"deck.dwg"});
    }

    // A value too long or holding a control character refuses the whole check-in, the good
    // file beside it too.
    void unfitValuesRefuseTheWholeCheckIn_data() { eachDatabase(); }
    void unfitValuesRefuseTheWholeCheckIn()
    {
        QFETCH(bool, postgres);
        PlatformProcess *platform = m_platforms.of(postgres);
        if (!platform)
            QSKIP("PostgreSQL is not installed");
        SignedIn bob(platform->serverHost(), "bob", "bob-password");
        const QString longest(1024, QChar('N'));
        // 1,024 characters outside the basic plane: 2,048 UTF-16 units.
        QString wide;
        for (int i = 0; i < 1024; ++i)
            wide += QString::fromUcs4(U"\U0001D538");
        const struct {
            const char *name, *key;
            QString value;
            const char *refusal; // empty: stored
        } rows[] = {
            {"1,024 characters", "_DrawingNumber", longest, ""},
            {"1,024 wide characters", "_DrawingTitle", wide, ""},
            {"1,025 characters", "_DrawingNumber", longest + "N", "is longer than 1024 characters"},
            {"tab", "_DrawingTitle", "Pier\tcap", "holds a control character"},
            {"C1 control", "_DrawingSheet", "1\u0085", "holds a control character"},
            {"delete", "_DrawingRevision", "A\u007f", "holds a control character"},
        };
        QStringList seen;
        QStringList expected;
        for (const auto &row : rows) {
            QJsonObject pier = record("pier.dwg", bob.autoname(), kSpanOne);
            pier.insert(row.key, row.value);
            const QString tag = row.name;
            QJsonObject beside = record("pier-beside " + tag + ".dxf", bob.autoname(), kSpanOne, 0);
            beside.insert("_DrawingNumber", "PB-" + tag);
            QJsonObject answer;
            const int status = bob.checkIn({pier, beside}, {"pier " + tag.toUtf8(), "beside"}, &answer);
            const QString storedValue = answer.value("objects")[0][row.key].toString();
            seen << QStringLiteral("%1: %2 %3; beside found: %4; stored as sent: %5")
                        .arg(tag).arg(status).arg(answer["error"].toString(),
                             searches(bob, {{{"_NamePattern", "PB-" + tag}}}).join(""))
                        .arg(storedValue == row.value);
            const bool stored = !*row.refusal;
            expected << QStringLiteral("%1: %2 %3; beside found: %4; stored as sent: %5")
                            .arg(tag).arg(stored ? 200 : 400)
                            .arg(stored ? QString()
                                        : QStringLiteral("the %1 of pier.dwg %2")
                                              .arg(row.key, row.refusal),
                                 stored ? "pier-beside " + tag + ".dxf" : QString())
                            .arg(stored);
        }
        QCOMPARE(seen, expected);
    }

    void whereUsedNamesWhatTheCallerMaySee_data() { eachDatabase(); }
    void whereUsedNamesWhatTheCallerMaySee()
    {
        QFETCH(bool, postgres);
        PlatformProcess *platform = m_platforms.of(postgres);
        if (!platform)
            QSKIP("PostgreSQL is not installed");
        SignedIn alice(platform->serverHost(), "alice", "alice-password");
        SignedIn bob(platform->serverHost(), "bob", "bob-password");
        SignedIn carol(platform->serverHost(), "carol", "carol-password");
        // In span one A and B reference the rebar, A with a preview; C in span two references A
        // and is referenced by A (a cycle); D in span one references C; E referenced the rebar
        // and is in the trash. A record that is not selected sends no bytes.
        const auto unselected = [](QJsonObject record) {
            record.insert("selected", "false");
            return record;
        };
        const QJsonObject a = record("A.dwg", alice.autoname(), kSpanOne);
        const QJsonObject b = record("B.dwg", alice.autoname(), kSpanOne);
        const QJsonObject c = record("C.dwg", alice.autoname(), kSpanTwo);
        const QJsonObject d = record("D.dwg", alice.autoname(), kSpanOne);
        const QJsonObject e = record("E.dwg", alice.autoname(), kSpanOne);
        const QJsonObject rebar = record("rebar.dxf", alice.autoname(), kSpanOne, 0);
        const QJsonObject cBelow = unselected(record("C.dwg", c["name"].toString(), kSpanTwo, 0));
        const QJsonObject preview{{"parent", 0}, {"title", "A.jpg"}, {"name", ""},
                                  {"collabspace", kSpanOne},
                                  {"_RelationToParent", "DerivedOutputOf"}};
        QCOMPARE((QList<int>{
                     alice.checkIn({withDrawing(a, {"WU-A"}), rebar, preview},
                                   {"a", "rebar", "preview"}),
                     alice.checkIn({b, unselected(rebar)}, {"b", ""}),
                     alice.checkIn({c, record("A.dwg", a["name"].toString(), kSpanOne, 0)},
                                   {"c", "a"}),
                     alice.checkIn({unselected(a), cBelow}, {"", ""}),
                     alice.checkIn({d, cBelow}, {"d", ""}),
                     alice.checkIn({e, unselected(rebar)}, {"e", ""})}),
                 QList<int>({200, 200, 200, 200, 200, 200}));
        const QString gone = phidOf(alice, "E.dwg");
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{ref(gone)}}}), 200);

        const QString rebarPhid = phidOf(alice, "rebar.dxf");
        QHash<QString, QString> title{{rebarPhid, "rebar"}};
        for (const char *drawing : {"A.dwg", "B.dwg", "C.dwg", "D.dwg"})
            title.insert(phidOf(alice, drawing), drawing);
        const auto whereUsed = [&](PlatformClient &client, const QString &phid) {
            QJsonObject answer;
            const int status = client.get("/api/v1/objects/" + phid + "/whereused", &answer);
            QStringList lines{QStringLiteral("%1 %2 hidden %3")
                                  .arg(status)
                                  .arg(answer.value("object")["title"].toString())
                                  .arg(answer["hidden"].toInt())};
            for (const QJsonValue drawing : answer["drawings"].toArray()) {
                lines << QStringLiteral("%1 %2 via %3 in %4 by %5 %6")
                             .arg(drawing["title"].toString(), drawing["_Depth"].toString(),
                                  title.value(drawing["_ReferencedVia"].toString(), "-"),
                                  drawing["_CS"].toString(), drawing["_ModifiedBy"].toString(),
                                  drawingOf(drawing));
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
        QCOMPARE(whereUsed(alice, phidOf(alice, "A.dwg")),
                 (QStringList{"200 A.dwg hidden 0",
                              "C.dwg 1 via A.dwg in Span Two by alice -|-|-|-",
                              "D.dwg 2 via C.dwg in Span One by alice -|-|-|-"}));
        QCOMPARE(whereUsed(alice, phidOf(alice, "D.dwg")), QStringList{"200 D.dwg hidden 0"});
        // Unknown to carol, in the trash, or not there at all: 404 alike.
        const QStringList unknown{"404  hidden 0"};
        QCOMPARE(whereUsed(carol, rebarPhid), unknown);
        QCOMPARE(whereUsed(alice, gone), unknown);
        QCOMPARE(whereUsed(alice, QString(32, QChar('0'))), unknown);
    }

    void theMappingIsTheAdministratorsAndUsersReadIt_data() { eachDatabase(); }
    void theMappingIsTheAdministratorsAndUsersReadIt()
    {
        QFETCH(bool, postgres);
        PlatformProcess *platform = m_platforms.of(postgres);
        if (!platform)
            QSKIP("PostgreSQL is not installed");
        SignedIn bob(platform->serverHost(), "bob", "bob-password");
        const auto mapping = [&bob] {
            QJsonObject answer;
            const int status = bob.get("/api/v1/titleblock", &answer);
            QStringList lines{QString::number(status)};
            for (const char *property : {"number", "title", "revision", "sheet"}) {
                lines << QString(property) + ":"
                        + answer.value("mapping")[property].toVariant().toStringList().join(' ');
            }
            return lines;
        };
        const QStringList defaults{"200", "number:DWG_NO DRAWING_NUMBER DWGNO NUMBER",
                                   "title:TITLE DWG_TITLE", "revision:REV REVISION",
                                   "sheet:SHEET"};
        QCOMPARE(mapping(), defaults);
        QCOMPARE(platform->run({"tenant", "add", "Harbour"}).exitCode, 0);

        const auto exitCodes = [platform](const QList<QStringList> &commands) {
            QList<int> codes;
            for (const QStringList &command : commands)
                codes << platform->run(QStringList{"titleblock"} + command).exitCode;
            return codes;
        };
        QCOMPARE(exitCodes({{"set", "number", "dwg-no", "Drawing.No", "dwg-no"},
                            {"set", "sheet"},
                            {"set", "title", "HARBOUR_TITLE", "--tenant", "Harbour"},
                            {"set", "title", QString(255, QChar('t'))}}),
                 (QList<int>{0, 0, 0, 0}));
        const QStringList set{"200", "number:DWG-NO DRAWING.NO",
                              "title:" + QString(255, QChar('T')), "revision:REV REVISION",
                              "sheet:"};
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
        QCOMPARE(platform->run({"titleblock", "show"}).out,
                 "property  tags\nnumber    DWG-NO DRAWING.NO\ntitle     " + QByteArray(255, 'T')
                     + "\nrevision  REV REVISION\nsheet     -\n");
        const PlatformProcess::Result harbour =
            platform->run({"titleblock", "show", "--tenant", "Harbour", "--json"});
        QCOMPARE(QJsonDocument::fromJson(harbour.out)["mapping"]["title"].toArray(),
                 (QJsonArray{"HARBOUR_TITLE"}));

        QCOMPARE(exitCodes({{"reset"}}), QList<int>{0});
        QCOMPARE(mapping(), defaults);
        QJsonObject answer;
        QCOMPARE(PlatformClient(platform->serverHost()).get("/api/v1/titleblock", &answer), 401);
    }

    void theDemoDrawingsCarryTheirTitleBlocks()
    {
        QCOMPARE(startDemo({"bob"}), QString());
        SignedIn &bob = as("bob");
        QStringList drawings;
        for (const char *title : {"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf", "tower.dwg"})
            drawings << QString(title) + " " + drawingOf(bob.find(title));
        QCOMPARE(drawings,
                 (QStringList{"bridge.dwg BR-100-G|Bridge general arrangement|C|1 of 4",
                              "deck.dwg BR-204-S|Deck slab reinforcement|B|2 of 4",
                              "piers.dxf BR-310-S|Piers elevation|A|3 of 4",
                              "rebar.dxf -|-|-|-", "tower.dwg TW-100-A|Tower elevation|D|1 of 3"}));
        QCOMPARE(searches(bob, {{{"_NamePattern", "*br-204*"}}}), QStringList{"deck.dwg"});
        QJsonObject answer;
        QCOMPARE(bob.get("/api/v1/objects/" + phidOf(bob, "rebar.dxf") + "/whereused", &answer),
                 200);
        QCOMPARE(lines(answer["drawings"].toArray(), {"title", "_Depth"}),
                 (QStringList{"deck.dwg|1", "piers.dxf|1", "bridge.dwg|2"}));
    }

private:
    static void eachDatabase()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }

    // alice is in both spans, bob in span one only, carol elsewhere.
    static bool prepare(PlatformProcess &platform)
    {
        for (const char *login : {"alice", "bob", "carol"}) {
            if (!platform.addUser(login, QString(login) + "-password", login, "Tester"))
                return false;
        }
        return platform.addSpace(kSpanOne, {"alice", "bob"})
            && platform.addSpace(kSpanTwo, {"alice"}) && platform.addSpace("Elsewhere", {"carol"});
    }

    DatabasePlatforms m_platforms;
};

QTEST_GUILESS_MAIN(TestPlatformTitleBlocks)
#include "tst_platformtitleblocks.moc"
