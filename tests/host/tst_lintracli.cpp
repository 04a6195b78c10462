// The host started as a process: the menus it lists.

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
    void printUiShowsTheFileMenu()
    {
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", m_home.path(), "--print-ui", "--exit" });
        QVERIFY(lintra.waitForFinished(60000));
        QCOMPARE(lintra.exitCode(), 0);
        const QJsonObject ui = QJsonDocument::fromJson(lintra.readAllStandardOutput()).object();
        QStringList captions;
        for (const QJsonValue &menu : ui.value("mainMenuGroup").toObject()
                                          .value("menus").toArray()) {
            if (menu.toObject().value("id").toString() != "ID_MnFile")
                continue;
            for (const QJsonValue &entry : menu.toObject().value("entries").toArray())
                captions << entry.toObject().value("caption").toString();
        }
        QCOMPARE(captions,
                 QStringList({ "New", "Open...", "Save", "Save As...", "Close", "Exit" }));
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestLintraCli)
#include "tst_lintracli.moc"
