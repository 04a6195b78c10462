// The connector's sign-in and read operations against a real platform filled with the demo.

#include "connectortestsupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace connectortest;
using Query = QMap<QString, QString>;

class TestConnectorRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passwordSignIn_data();
    void passwordSignIn();
    void cookieSignIn_data();
    void cookieSignIn();
    void search_data();
    void search();
    void searchWithoutQueryListsCurrentSpace();
    void detailsFillOnlyKnownRecords();
    void structureListsAndDownloadsEveryReferenceOnce();
    void currentLocalCopyIsNotTransferredAgain();
    void downloadSingleObject();
    void previews();
    void callsFromSeveralThreads();
    void recordsOutliveLaterCalls();
    void signedOutCallsFail();

private:
    std::unique_ptr<PlatformProcess> m_platform;
    QTemporaryDir m_dir;
};

void TestConnectorRead::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    m_platform = PlatformProcess::startDemo(&error);
    QVERIFY2(m_platform, qPrintable(error));
    QVERIFY(m_dir.isValid());
}

void TestConnectorRead::passwordSignIn_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("casUrl"); // "" = the platform's, "path" = "/cas"
    QTest::addColumn<QString>("tenant");
    QTest::addColumn<QString>("seen"); // the user and the spaces, "" when signed out
    const QString alice = "Alice Martin <alice@example.com> alice: Common Space, Bridge Project, "
                          "Harbour Works";
    // Carol is not a member of "Bridge Project": it is not even listed.
    QTest::newRow("right password") << "carol" << "carol-demo-pw" << "" << ""
                                    << "Carol Jensen <carol@example.com> carol: Common Space, "
                                       "Harbour Works";
    QTest::newRow("server address with a path") << "alice" << "alice-demo-pw" << "path+" << ""
                                                << alice;
    QTest::newRow("sign-in address as a path") << "alice" << "alice-demo-pw" << "path" << ""
                                               << alice;
    QTest::newRow("wrong password") << "alice" << "bob-demo-pw" << "" << "" << "";
    QTest::newRow("unknown user") << "mallory" << "alice-demo-pw" << "" << "" << "";
    QTest::newRow("empty password") << "alice" << "" << "" << "" << "";
    QTest::newRow("unknown tenant") << "alice" << "alice-demo-pw" << "" << "nowhere" << "";
    QTest::newRow("no sign-in address") << "alice" << "alice-demo-pw" << "none" << "" << "";
}

void TestConnectorRead::passwordSignIn()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, casUrl);
    QFETCH(QString, tenant);
    QFETCH(QString, seen);
    const QString cas = casUrl.isEmpty() ? m_platform->casUrl()
        : casUrl.startsWith(QLatin1String("path")) ? QStringLiteral("/cas")
                                                   : QString();
    // A server address taken verbatim from a configuration file may carry a path.
    const QString host = casUrl == QLatin1String("path+") ? m_platform->serverUrl()
                                                         : m_platform->serverHost();
    connector()->SetTenant(tenant);
    connector()->SetServer(host);
    QCOMPARE(connector()->LxGatepassLogin(user, password, host, QString(), cas), !seen.isEmpty());
    connector()->SetTenant(QString());
    QString first, last, email, login;
    QStringList spaces;
    if (connector()->GetUserInfo(&first, &last, &email, &login)) {
        for (const std::string &space : connector()->GetListOfCollaborativeSpaces())
            spaces << QString::fromStdString(space);
        QCOMPARE(QStringLiteral("%1 %2 <%3> %4: ").arg(first, last, email, login)
                     + spaces.join(QStringLiteral(", ")),
                 seen);
    } else {
        QCOMPARE(QString(), seen);
    }
}

void TestConnectorRead::cookieSignIn_data()
{
    QTest::addColumn<QString>("cookieKind");
    QTest::addColumn<QString>("space");
    QTest::addColumn<bool>("preferred");
    QTest::addColumn<QString>("firstSpace"); // "" when not signed in
    QTest::newRow("named space") << "fresh" << "Bridge Project" << false << "Bridge Project";
    QTest::newRow("preferred context wins")
        << "fresh" << "Bridge Project" << true << "Common Space";
    QTest::newRow("no space means preferred") << "fresh" << "" << false << "Common Space";
    QTest::newRow("space of other members") << "fresh" << "Harbour Works" << false << "";
    QTest::newRow("forged cookie") << "forged" << "" << false << "";
}

void TestConnectorRead::cookieSignIn()
{
    QFETCH(QString, cookieKind);
    QFETCH(QString, space);
    QFETCH(bool, preferred);
    QFETCH(QString, firstSpace);
    const QString cookie = cookieKind == QLatin1String("fresh")
        ? m_platform->issueCookie(QStringLiteral("bob"))
        : QStringLiteral("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    QVERIFY(!cookie.isEmpty());
    connector()->UsePreferredContext(preferred);
    QCOMPARE(connector()->LoginWithCASCookie_Block(cookie, space, m_platform->serverHost(),
                                                   m_platform->casUrl()),
             !firstSpace.isEmpty());
    connector()->UsePreferredContext(false);
    const std::vector<std::string> spaces = connector()->GetListOfCollaborativeSpaces();
    QCOMPARE(spaces.empty() ? QString() : QString::fromStdString(spaces.front()), firstSpace);
}

void TestConnectorRead::search_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<Query>("query");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("page limit")
        << "alice" << Query{{"_TypePattern", "ACAD Drawing"}, {"_Pagelimit", "2"}}
        << QStringList{"bridge.dwg", "core.dwg"};
    QTest::newRow("wildcards of SQL are plain characters")
        << "alice" << Query{{"_TypePattern", "ACAD Drawing"}, {"_TitlePattern", "%"}}
        << QStringList();
    QTest::newRow("spaces of others stay hidden")
        << "bob" << Query{{"_TypePattern", "ACAD Drawing"}, {"_TitlePattern", "*e*"}}
        << QStringList{"bridge.dwg", "core.dwg", "deck.dwg", "piers.dxf", "rebar.dxf", "tower.dwg"};
    QTest::newRow("naming a space of others finds nothing")
        << "bob" << Query{{"_CS", "Harbour Works"}, {"_TypePattern", "ACAD Drawing"}}
        << QStringList();
}

void TestConnectorRead::search()
{
    QFETCH(QString, user);
    QFETCH(Query, query);
    QFETCH(QStringList, titles);
    QVERIFY(signIn(*m_platform, user, user + QStringLiteral("-demo-pw")));
    const Record request = record(query);
    QVERIFY(connector()->SearchPattern(request.get()));
    QCOMPARE(searchTitles(), titles);
    for (int i = 0; i < connector()->GetSearchListSize(); ++i) {
        const FzFileInfo *hit = connector()->GetSearchFileAt(i);
        QCOMPARE(valueOf(hit, "title"), QString::fromStdString(hit->GetTitle()));
        QCOMPARE(valueOf(hit, "phid").size(), 32);
        QVERIFY(QDateTime::fromString(valueOf(hit, "_filemodified"),
                                      QStringLiteral("yyyy'/'MM'/'dd'@'HH':'mm':'ss':GMT'"))
                    .isValid());
    }
}

void TestConnectorRead::searchWithoutQueryListsCurrentSpace()
{
    const QString cookie = m_platform->issueCookie(QStringLiteral("alice"));
    QVERIFY(connector()->LoginWithCASCookie_Block(cookie, QStringLiteral("Harbour Works"),
                                                  m_platform->serverHost(), m_platform->casUrl()));
    QVERIFY(connector()->Search());
    QCOMPARE(searchTitles(), (QStringList{"crane.dwg", "quay.dxf"}));
}

void TestConnectorRead::detailsFillOnlyKnownRecords()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const Record deck = find(QStringLiteral("deck.dwg"));
    QVERIFY(deck);
    const QString name = valueOf(deck.get(), "name");
    Record byName = record({{"name", name}, {"revision", "---"}, {"type", "ACAD Drawing"}});
    Record wrongType = record({{"name", name}, {"type", "ACAD Insert"}});
    Record unknown = record({{"name", "AX999999999"}, {"type", "ACAD Drawing"}});
    // Records the platform does not know stay as they were and are not listed.
    QVERIFY(!connector()->Details({wrongType.get(), unknown.get(), byName.get()}));
    QCOMPARE(transactionTitles(), QStringList{"deck.dwg"});
    QCOMPARE(valueOf(wrongType.get(), "phid"), QString());
    QCOMPARE(valueOf(unknown.get(), "_LockedBy"), QString());
    QString filled;
    for (const char *key : {"_LockedBy", "_Owner", "_CS", "title", "_filemodified"})
        filled += valueOf(byName.get(), key) + QLatin1Char('|');
    QCOMPARE(filled, "bob|alice|Common Space|deck.dwg|" + valueOf(deck.get(), "_filemodified")
                         + QLatin1Char('|'));
}

void TestConnectorRead::structureListsAndDownloadsEveryReferenceOnce()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const Record unknown = record({{"phid", "00000000000000000000000000000000"}});
    QVERIFY(!connector()->GetStructure_Block(unknown.get()));
    QCOMPARE(connector()->GetTransactionListSize(), 0);
    const Record bridge = find(QStringLiteral("bridge.dwg"));
    QVERIFY(connector()->GetStructure_Block(bridge.get()));
    QStringList titles = transactionTitles();
    QCOMPARE(titles.value(0), QStringLiteral("bridge.dwg"));
    titles.sort();
    // rebar.dxf is referenced by both deck.dwg and piers.dxf; the preview is no reference.
    QCOMPARE(titles, (QStringList{"bridge.dwg", "deck-photo.png", "deck.dwg", "load-table.pdf",
                                  "logo.png", "piers.dxf", "rebar.dxf"}));

    const QString folder = m_dir.filePath(QStringLiteral("structure"));
    QVERIFY(QDir().mkpath(folder));
    std::vector<Record> records;
    std::vector<FzFileInfo *> pointers;
    for (int i = 0; i < connector()->GetTransactionListSize(); ++i) {
        records.push_back(std::make_unique<FzFileInfo>(*connector()->GetTransactionFileAt(i)));
        records.back()->SetProperty("_LOCALDOWNLOADFOLDER", folder.toStdString());
        pointers.push_back(records.back().get());
    }
    QCOMPARE(connector()->Download_Block(pointers), std::vector<std::string>());
    QStringList written = QDir(folder).entryList(QDir::Files);
    QCOMPARE(written, titles);
    for (const Record &downloaded : records) {
        const QString path = folder + QLatin1Char('/') + valueOf(downloaded.get(), "filename");
        QCOMPARE(sha256Of(path), valueOf(downloaded.get(), "_sha256").toLatin1());
    }
    // A record the platform does not know is one failure; the others still arrive.
    Record ghost = record({{"phid", "0123456789ABCDEF0123456789ABCDEF"}, {"title", "ghost.dwg"},
                           {"_LOCALDOWNLOADFOLDER", folder}});
    const std::vector<std::string> failures =
        connector()->Download_Block(std::vector<FzFileInfo *>{ghost.get(), pointers.front()});
    QCOMPARE(failures.size(), size_t(1));
    QVERIFY(QString::fromStdString(failures.front()).contains(QStringLiteral("ghost.dwg")));
}

void TestConnectorRead::currentLocalCopyIsNotTransferredAgain()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const QString folder = m_dir.filePath(QStringLiteral("current"));
    QVERIFY(QDir().mkpath(folder));
    const Record rebar = find(QStringLiteral("rebar.dxf"));
    QFile local(writeFile(folder, QStringLiteral("rebar.dxf"), "edited locally\n"));

    Record current(new FzFileInfo(*rebar));
    current->SetProperty("_LOCALDOWNLOADFOLDER", folder.toStdString());
    current->SetProperty("_LOCALTIMESTAMP", rebar->GetProperty("_filemodified"));
    QCOMPARE(connector()->Download_Block(std::vector<FzFileInfo *>{current.get()}),
             std::vector<std::string>());
    QCOMPARE(valueOf(current.get(), "filename"), QStringLiteral("rebar.dxf"));
    QVERIFY(local.open(QIODevice::ReadOnly));
    QCOMPARE(local.readAll(), QByteArray("edited locally\n"));
    local.close();

    // An older local stamp means the platform's version replaces the local file.
    current->SetProperty("_LOCALTIMESTAMP", "2001/01/01@00:00:00:GMT");
    QCOMPARE(connector()->Download_Block(std::vector<FzFileInfo *>{current.get()}),
             std::vector<std::string>());
    QCOMPARE(sha256Of(local.fileName()), valueOf(rebar.get(), "_sha256").toLatin1());
}

void TestConnectorRead::downloadSingleObject()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("bob"), QStringLiteral("bob-demo-pw")));
    const Record tower = find(QStringLiteral("tower.dwg"));
    QVERIFY(tower);
    const QString folder = m_dir.filePath(QStringLiteral("single"));
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    QCOMPARE(connector()->Download_Block(valueOf(tower.get(), "phid")),
             QStringLiteral("/tower.dwg"));
    QCOMPARE(sha256Of(folder + QStringLiteral("/tower.dwg")),
             valueOf(tower.get(), "_sha256").toLatin1());
    QCOMPARE(connector()->Download_Block(QStringLiteral("../../etc/passwd")), QString());
    QCOMPARE(connector()->Download_Block(QString()), QString());
    // Bob is not a member of the space that holds the quay: it does not exist for him.
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const QString quayId = valueOf(find(QStringLiteral("quay.dxf")).get(), "phid");
    QVERIFY(signIn(*m_platform, QStringLiteral("bob"), QStringLiteral("bob-demo-pw")));
    QCOMPARE(connector()->Download_Block(quayId), QString());
    QVERIFY(!QFile::exists(folder + QStringLiteral("/quay.dxf")));
}

void TestConnectorRead::previews()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const QString folder = m_dir.filePath(QStringLiteral("previews"));
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    const Record query = record({{"_CS", "Common Space"}, {"_TypePattern", "*"},
                                 {"_TitlePattern", "*e*"}});
    QVERIFY(connector()->SearchPattern(query.get()));
    std::vector<FzFileInfo *> hits;
    for (int i = 0; i < connector()->GetSearchListSize(); ++i)
        hits.push_back(connector()->GetSearchFileAt(i));
    QVERIFY(connector()->DownloadPreviews(hits));
    // Only drawings have previews; images and PDFs are skipped.
    QStringList written = QDir(folder).entryList(QDir::Files);
    QCOMPARE(written, (QStringList{"bridge.jpg", "deck.jpg", "piers.jpg", "rebar.jpg"}));
    QFile jpeg(folder + QStringLiteral("/deck.jpg"));
    QVERIFY(jpeg.open(QIODevice::ReadOnly));
    QVERIFY(jpeg.read(2) == QByteArray("\xFF\xD8"));
}

void TestConnectorRead::callsFromSeveralThreads()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const QStringList titles{"bridge.dwg", "piers.dxf", "rebar.dxf", "crane.dwg"};
    QStringList names;
    for (const QString &title : titles)
        names << valueOf(find(title).get(), "name");
    // Each thread asks for the details of its own file and locks and unlocks it, over and over;
    // the answers written into each thread's own records must stay its own.
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < titles.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 15; ++round) {
                Record mine = record({{"name", names[t]}});
                if (!connector()->Details({mine.get()}) || valueOf(mine.get(), "title") != titles[t]
                    || !connector()->LockFile(mine.get()) || !connector()->UnlockFile(mine.get()))
                    ++wrong;
            }
        });
    }
    for (int round = 0; round < 15; ++round) {
        const Record bridge = record({{"name", names[0]}});
        if (!connector()->GetStructure_Block(bridge.get()))
            ++wrong;
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(wrong.load(), 0);
}

void TestConnectorRead::recordsOutliveLaterCalls()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const QString folder = m_dir.filePath(QStringLiteral("outlive"));
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    const Record deck = record({{"name", valueOf(find(QStringLiteral("deck.dwg")).get(), "name")}});
    const Record bridgeQuery = record({{"_TypePattern", "*"}, {"_or_title_0", "bridge.dwg"}});
    QVERIFY(connector()->SearchPattern(bridgeQuery.get()));
    const FzFileInfo *found = connector()->GetSearchFileAt(0);
    QVERIFY(found);
    const Record bridge = record({{"name", valueOf(found, "name")}});
    QVERIFY(connector()->Details({bridge.get()}));
    const FzFileInfo *detailed = connector()->GetTransactionFileAt(0);
    QVERIFY(detailed);

    // Other threads go on: eight more lists of each kind come and go, while searches fetch
    // their previews.
    const Record deckQuery = record({{"_TypePattern", "*"}, {"_or_title_0", "deck.dwg"},
                                     {"_DOWNLOADPREVIEWS", "true"}});
    std::atomic<int> failed{0};
    std::vector<std::thread> others;
    for (int t = 0; t < 8; ++t) {
        others.emplace_back([&] {
            if (!connector()->SearchPattern(deckQuery.get()) || !connector()->Details({deck.get()}))
                ++failed;
        });
    }
    for (std::thread &thread : others)
        thread.join();
    QCOMPARE(failed.load(), 0);
    QVERIFY(QFile::exists(folder + QStringLiteral("/deck.jpg")));
    for (const FzFileInfo *record : {found, detailed}) {
        QCOMPARE(QString::fromStdString(record->GetTitle()), QStringLiteral("bridge.dwg"));
        QCOMPARE(valueOf(record, "phid"), valueOf(bridge.get(), "phid"));
    }
}

void TestConnectorRead::signedOutCallsFail()
{
    const QString nowhere = QStringLiteral("http://127.0.0.1:1");
    connector()->SetServer(nowhere);
    QVERIFY(!connector()->LxGatepassLogin("alice", "alice-demo-pw", nowhere, QString(), "/cas"));
    QVERIFY(connector()->GetListOfCollaborativeSpaces().empty());
    QVERIFY(!connector()->Search());
    QCOMPARE(connector()->GetSearchListSize(), 0);
    QVERIFY(connector()->GetSearchFileAt(0) == nullptr);
    QCOMPARE(connector()->Download_Block("0123456789ABCDEF0123456789ABCDEF"), QString());
}

QTEST_GUILESS_MAIN(TestConnectorRead)
#include "tst_connectorread.moc"
