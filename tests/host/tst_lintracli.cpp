// The host driven as users and scripts drive it: lintra started as a process.

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
        const QJsonObject ui = runForUi({});
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
        QCOMPARE(captions, QStringList({ "New", "Open...", "Save", "Save As...", "Close", "Exit" }));

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

    void unknownCommandInScriptFailsAndTheScriptGoesOn()
    {
        QFile script(m_home.filePath("steps.scr"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("; a comment\n_NOSUCHCOMMAND 1 2\n^C^C_NEW\n_new\n");
        script.close();

        QString errors;
        const QJsonObject ui = runForUi({ "--script", script.fileName() }, &errors, 1);
        QVERIFY2(errors.contains("Unknown command \"_NOSUCHCOMMAND\"."), qPrintable(errors));
        QCOMPARE(ui.value("documents").toArray().size(), 2);
        QVERIFY(ui.value("currentDocument").toString().endsWith("Drawing2.dwg"));
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
    QJsonObject runForUi(const QStringList &extra, QString *errors = nullptr, int exitCode = 0)
    {
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, QStringList { "--module-dir", m_home.path(), "--print-ui", "--exit" } + extra);
        if (!lintra.waitForFinished(60000))
            return QJsonObject();
        if (errors)
            *errors = QString::fromUtf8(lintra.readAllStandardError());
        if (lintra.exitCode() != exitCode)
            return QJsonObject();
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(lintra.readAllStandardOutput(), &error);
        return json.object();
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestLintraCli)
#include "tst_lintracli.moc"
