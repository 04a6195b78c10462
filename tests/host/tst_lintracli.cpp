// The host started as a process: the menus and ribbon it lists, and the options it refuses.

#include "testhome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestLintraCli : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_home.isValid()); }

    void printUiShowsFileMenusAndRibbon()
    {
        const QJsonObject ui = runForUi();
        const auto fileMenu = [](const QJsonObject &group) {
            for (const QJsonValue &menu : group.value("menus").toArray()) {
                if (menu.toObject().value("id").toString() == "ID_MnFile")
                    return menu.toObject();
            }
            return QJsonObject();
        };
        const QJsonObject mainFile = fileMenu(ui.value("mainMenuGroup").toObject());
        QVERIFY(!mainFile.isEmpty());
        QStringList captions;
        for (const QJsonValue &entry : mainFile.value("entries").toArray())
            captions << entry.toObject().value("caption").toString();
        QCOMPARE(captions,
                 QStringList({ "New", "Open...", "Save", "Save As...", "Close", "Exit" }));

        const QJsonArray workspaces = ui.value("workspaces").toArray();
        QVERIFY(workspaces.size() >= 2);
        int current = 0;
        bool rsm = false;
        for (const QJsonValue &value : workspaces) {
            const QJsonObject workspace = value.toObject();
            QVERIFY2(!fileMenu(workspace).isEmpty(), "every workspace has a File menu");
            if (!workspace.value("current").toBool())
                continue;
            ++current;
            for (const QJsonValue &tab : workspace.value("ribbonTabs").toArray())
                rsm = rsm || tab.toObject().value("id").toString() == "RSM";
        }
        QCOMPARE(current, 1);
        QVERIFY(rsm);
    }

    void badOptionIsRefused()
    {
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, { "--no-such-option" });
        QVERIFY(lintra.waitForFinished(30000));
        QCOMPARE(lintra.exitCode(), 2);
        QVERIFY(lintra.readAllStandardError().contains("unknown option --no-such-option"));
    }

private:
    QJsonObject runForUi()
    {
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", m_home.path(), "--print-ui", "--exit" });
        if (!lintra.waitForFinished(60000) || lintra.exitCode() != 0)
            return QJsonObject();
        return QJsonDocument::fromJson(lintra.readAllStandardOutput()).object();
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestLintraCli)
#include "tst_lintracli.moc"
