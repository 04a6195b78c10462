// The files the platform's launcher leaves: the launcher parameters and the applications file.

#include "testhome.h"

#include "session/dashboardlauncher.h"
#include "session/launcherparams.h"

#include <QtTest>

class TestLauncherFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QVERIFY(launcherParamsPath().startsWith(m_home.path()));
        QVERIFY(DashboardLauncher::appsInfoPath().startsWith(m_home.path()));
    }

    void readsLauncherParameters_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        // server, cookie, space, tenant, model, cas, context
        QTest::addColumn<QStringList>("expected");

        const QStringList none { "", "", "", "", "", "", "" };
        QTest::newRow("missing file") << QByteArray() << none;
        QTest::newRow("not XML") << QByteArray("ServerUrl=https://srv01/vaultis") << none;
        QTest::newRow("nested deep")
            << QByteArray("<launcher><a><b><Params ServerUrl=\"https://SRV01/vaultis\" "
                          "CasCookie=\"c\" NamedSpace=\"Common Space\" Tenant=\"acme\" "
                          "ModelID=\"m1\" PreferredContext=\"true\"/></b></a><x><y><Eenvironment "
                          "TMURMLYER_CAS_URL=\"https://srv01/cas\"/></y></x></launcher>")
            << QStringList { "https://SRV01/vaultis", "c", "Common Space", "acme", "m1",
                             "https://srv01/cas", "true" };
    }

    void readsLauncherParameters()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QVERIFY(m_home.writeLauncherParams(content));
        const LauncherParams p = readLauncherParams();
        QCOMPARE(QStringList({ p.serverUrl, p.casCookie, p.namedSpace, p.tenant, p.modelId,
                               p.casUrl, p.preferredContext }),
                 expected);
    }

    void serverHost_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("host");
        QTest::newRow("https and path removed") << "https://SRV01/vaultis" << "srv01";
        QTest::newRow("plain http stays")
            << "http://127.0.0.1:8080/vaultis" << "http://127.0.0.1:8080";
    }

    void serverHost()
    {
        QFETCH(QString, url);
        QFETCH(QString, host);
        QCOMPARE(serverHostFromUrl(url), host);
    }

    void findsTheDashboard_data()
    {
        QTest::addColumn<QByteArray>("apps");
        QTest::addColumn<QString>("url");
        const QByteArray other = "<app><id>OTHER</id><launchInfos>http://other</launchInfos></app>";
        const QByteArray dashboard =
            "<app><id>XHUBDECK_AP</id><launchInfos>http://dash/board</launchInfos></app>";
        QTest::newRow("listed first") << "<apps>" + dashboard + other + "</apps>"
                                      << "http://dash/board";
        QTest::newRow("after another") << "<apps>" + other + dashboard + "</apps>"
                                       << "http://dash/board";
        QTest::newRow("not listed") << "<apps>" + other + "</apps>" << "";
        QTest::newRow("no file") << QByteArray() << "";
    }

    void findsTheDashboard()
    {
        QFETCH(QByteArray, apps);
        QVERIFY(m_home.writeAppsInfo(apps)); // no file for no apps
        QTEST(DashboardLauncher::findDashboardUrl(), "url");
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestLauncherFiles)
#include "tst_launcherfiles.moc"
