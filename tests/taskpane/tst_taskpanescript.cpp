// The task pane in the real CAD application with the built module: a script opens a drawing
// downloaded from a real platform, and the host's widget snapshots show what the pane lists.

#include "platformprocess.h"
#include "savetestsupport.h"
#include "testhome.h"
#include "widgetsnapshotfile.h"

#include "session/signedin.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {
// The names (role 16) of the rows of an item view that are not hidden, depth first.
void collectShownRows(const QJsonArray &rows, QStringList *names)
{
    for (const QJsonValue &value : rows) {
        const QJsonObject row = value.toObject();
        if (!row.value("hidden").toBool())
            names->append(row.value("role16").toString());
        collectShownRows(row.value("rows").toArray(), names);
    }
}

// Every tool tip of the widgets called name below the snapshot's node.
void collectToolTips(const QJsonObject &node, const QString &name, QStringList *tips)
{
    if (node.value("objectName").toString() == name)
        tips->append(node.value("toolTip").toString());
    for (const QJsonValue &child : node.value("children").toArray())
        collectToolTips(child.toObject(), name, tips);
}
} // namespace

class TestTaskPaneScript : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        PlatformProcess::Options options;
        options.demo = true;
        m_platform = std::make_unique<PlatformProcess>(options);
        QString error;
        QVERIFY2(m_platform->start(&error), qPrintable(error));
        QVERIFY(m_platform->writeLauncherFiles("alice", m_home.environment()));
        QVERIFY(savetest::signIn(*m_platform, "alice"));
        QVERIFY(QDir().mkpath(path("models")));
        QCOMPARE(savetest::download("bridge.dwg", path("models")).size(), 7);
    }

    void paneListsTheOpenedDrawingsFiles()
    {
        const QStringList lines = {
            "_OPEN " + path("models/bridge.dwg"),
            // Each of the eight rows gets its "More Action" button once its details are shown.
            "_UIWAIT moreActionPushButton[7] 60",
            "_UISNAPSHOT " + path("tree.json"),
            "_UICLICK dwgFilterButton",
            "_UISNAPSHOT " + path("dwg.json"),
            "_UITRIGGER ID_AUREX_LOGINOUT",
            // Signing out asks the platform about held locks first.
            "_UIWAITGONE splitterWidget 30",
            "_UISNAPSHOT " + path("signedout.json"),
        };
        QFile script(path("pane.scr"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(lines.join('\n').toUtf8());
        script.close();

        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, {"--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                  "--script", script.fileName(), "--exit"});
        QVERIFY(lintra.waitForFinished(120000));
        const QByteArray errors = lintra.readAllStandardError();
        QVERIFY2(lintra.exitCode() == 0, errors.constData());

        const WidgetSnapshotFile tree(path("tree.json"));
        QCOMPARE(tree.find("searchResultLabel").value("text").toString(),
                 QString(" Result: 8 File(s)"));
        QStringList statuses;
        collectToolTips(tree.find("ActiveTreeViewWidget"), "StatusLabel", &statuses);
        QCOMPARE(statuses.size(), 8);
        QCOMPARE(statuses.count("Status: Current"), 8);
        QStringList locks;
        collectToolTips(tree.find("ActiveTreeViewWidget"), "LockButton", &locks);
        QCOMPARE(locks.filter("File is locked by bob").size(), 1);

        const WidgetSnapshotFile dwg(path("dwg.json"));
        QStringList shown;
        collectShownRows(dwg.find("ActiveListViewWidget").value("rows").toArray(), &shown);
        QCOMPARE(shown, QStringList({"bridge.dwg", "deck.dwg"}));
        QCOMPARE(dwg.find("searchResultLabel").value("text").toString(),
                 QString(" Result: 2 File(s)"));

        // Signed out, the container shows the sign-in page instead of the lists.
        const WidgetSnapshotFile signedOut(path("signedout.json"));
        QVERIFY(tree.find("splitterWidget").value("visible").toBool());
        QVERIFY(!signedOut.find("splitterWidget").value("visible").toBool());
        const QJsonObject container = signedOut.find("containerWidget");
        const QJsonArray children = container.value("children").toArray();
        QVERIFY(std::any_of(children.begin(), children.end(), [](const QJsonValue &child) {
            return child.toObject().value("class") == "WebViewAurexPlatform"
                && child.toObject().value("visible").toBool();
        }));
    }

private:
    QString path(const QString &name) const { return m_home.filePath(name); }

    TestHome m_home;
    std::unique_ptr<PlatformProcess> m_platform;
};

QTEST_MAIN(TestTaskPaneScript)
#include "tst_taskpanescript.moc"
