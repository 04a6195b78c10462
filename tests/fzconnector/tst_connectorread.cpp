// The connector's sign-in and read operations against a real platform filled with the demo.

#include "connectortestsupport.h"

#include <QtTest>

using namespace connectortest;
using Query = QMap<QString, QString>;

class TestConnectorRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
        QVERIFY(m_dir.isValid());
    }

    void passwordSignIn_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("tenant");
        QTest::addColumn<QString>("seen"); // the user and the spaces, "" when signed out
        // Carol is not a member of "Bridge Project": it is not even listed.
        QTest::newRow("right password") << "carol" << "carol-demo-pw" << ""
                                        << "Carol Jensen <carol@example.com> carol: Common Space, "
                                           "Harbour Works";
        QTest::newRow("wrong password") << "alice" << "bob-demo-pw" << "" << "";
        QTest::newRow("unknown tenant") << "alice" << "alice-demo-pw" << "nowhere" << "";
    }

    void passwordSignIn()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, tenant);
        QFETCH(QString, seen);
        const QString host = m_platform->serverHost();
        connector()->SetTenant(tenant);
        connector()->SetServer(host);
        QCOMPARE(connector()->LxGatepassLogin(user, password, host, QString(),
                                              m_platform->casUrl()),
                 !seen.isEmpty());
        connector()->SetTenant(QString());
        QString first, last, email, login, shown;
        if (connector()->GetUserInfo(&first, &last, &email, &login))
            shown = QStringLiteral("%1 %2 <%3> %4: ").arg(first, last, email, login);
        QStringList spaces;
        for (const std::string &space : connector()->GetListOfCollaborativeSpaces())
            spaces << QString::fromStdString(space);
        QCOMPARE(shown + spaces.join(QStringLiteral(", ")), seen);
    }

    void cookieSignIn_data()
    {
        QTest::addColumn<QString>("cookieKind");
        QTest::addColumn<QString>("space");
        QTest::addColumn<bool>("preferred");
        QTest::addColumn<QString>("firstSpace"); // "" when not signed in
        QTest::newRow("named space") << "fresh" << "Bridge Project" << false << "Bridge Project";
        QTest::newRow("preferred context wins")
            << "fresh" << "Bridge Project" << true << "Common Space";
        QTest::newRow("forged cookie") << "forged" << "" << false << "";
    }

    void cookieSignIn()
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

    void search_data()
    {
        QTest::addColumn<Query>("query");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("page limit") << Query{{"_TypePattern", "ACAD Drawing"}, {"_Pagelimit", "2"}}
                                    << QStringList{"bridge.dwg", "core.dwg"};
        QTest::newRow("title pattern in one space")
            << Query{{"_CS", "Common Space"}, {"_TypePattern", "ACAD Drawing"},
                     {"_TitlePattern", "*e*"}}
            << QStringList{"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf"};
        QTest::newRow("wildcards of SQL are plain characters")
            << Query{{"_TypePattern", "ACAD Drawing"}, {"_TitlePattern", "%"}} << QStringList();
    }

    void search()
    {
        QFETCH(Query, query);
        QFETCH(QStringList, titles);
        QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
        const Record request = record(query);
        QVERIFY(connector()->SearchPattern(request.get()));
        QCOMPARE(searchTitles(), titles);
    }

    void structureListsAndDownloadsEveryReferenceOnce()
    {
        QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
        const Record unknown = record({{"phid", QString(32, '0')}});
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
        QCOMPARE(QDir(folder).entryList(QDir::Files), titles);
        for (const Record &downloaded : records) {
            const QString path = folder + QLatin1Char('/') + valueOf(downloaded.get(), "filename");
            QCOMPARE(sha256Of(path), valueOf(downloaded.get(), "_sha256").toLatin1());
        }
        // A record the platform does not know is one failure; the others still arrive.
        Record ghost = record({{"phid", "0123456789ABCDEF0123456789ABCDEF"}, {"title", "ghost.dwg"},
                               {"_LOCALDOWNLOADFOLDER", folder}});
        QCOMPARE(connector()->Download_Block({ghost.get(), pointers.front()}),
                 std::vector<std::string>{"ghost.dwg: not found on the platform"});

        // One object by its id, into the working folder; an id that is a path is refused.
        const QString single = m_dir.filePath(QStringLiteral("single"));
        QVERIFY(QDir().mkpath(single));
        connector()->SetWorkingDirectory(single);
        QCOMPARE(connector()->Download_Block(valueOf(bridge.get(), "phid")),
                 QStringLiteral("/bridge.dwg"));
        QCOMPARE(sha256Of(single + QStringLiteral("/bridge.dwg")),
                 valueOf(bridge.get(), "_sha256").toLatin1());
        QCOMPARE(connector()->Download_Block(QStringLiteral("../../etc/passwd")), QString());
    }

    void currentLocalCopyIsNotTransferredAgain()
    {
        QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
        const QString folder = m_dir.filePath(QStringLiteral("current"));
        QVERIFY(QDir().mkpath(folder));
        const Record rebar = find(QStringLiteral("rebar.dxf"));
        QFile local(writeFile(folder, QStringLiteral("rebar.dxf"), "edited locally\n"));

        rebar->SetProperty("_LOCALTIMESTAMP", rebar->GetProperty("_filemodified"));
        QCOMPARE(downloadInto(rebar.get(), folder), std::vector<std::string>());
        QCOMPARE(valueOf(rebar.get(), "filename"), QStringLiteral("rebar.dxf"));
        QVERIFY(local.open(QIODevice::ReadOnly));
        QCOMPARE(local.readAll(), QByteArray("edited locally\n"));

        // An older local stamp means the platform's version replaces the local file.
        rebar->SetProperty("_LOCALTIMESTAMP", "2001/01/01@00:00:00:GMT");
        QCOMPARE(downloadInto(rebar.get(), folder), std::vector<std::string>());
        QCOMPARE(sha256Of(local.fileName()), valueOf(rebar.get(), "_sha256").toLatin1());
    }

    void signedOutCallsFail()
    {
        const QString nowhere = QStringLiteral("http://127.0.0.1:1");
        connector()->SetServer(nowhere);
        QVERIFY(!connector()->LxGatepassLogin("alice", "alice-demo-pw", nowhere, QString(),
                                              "/cas"));
        QVERIFY(connector()->GetListOfCollaborativeSpaces().empty());
        QVERIFY(!connector()->Search());
        QCOMPARE(connector()->GetSearchListSize(), 0);
        QVERIFY(connector()->GetSearchFileAt(0) == nullptr);
        QCOMPARE(connector()->Download_Block("0123456789ABCDEF0123456789ABCDEF"), QString());
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestConnectorRead)
#include "tst_connectorread.moc"
