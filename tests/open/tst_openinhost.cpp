// The whole open in the real host: lintra with the module, signed in by the launcher's cookie,
// runs _AurexOpen, searches, picks bridge.dwg and a folder, presses Open; the drawing opens
// with every reference resolved and the task pane lists its files.

#include <dxftesthelpers.h>
#include <platformprocess.h>
#include <testhome.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestOpenInHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
    }

    void openFindsDownloadsAndOpensWithReferencesResolved()
    {
        TestHome home;
        QVERIFY(m_platform.writeLauncherFiles("alice", home.environment()));
        const QString folder = home.filePath("Drawings");
        QVERIFY(QDir().mkpath(folder));
        const QString script = home.filePath("open.scr");
        QVERIFY(home.write("open.scr", QStringLiteral("_AurexOpen\n"
                                                      "_UIWAIT OpenFromCSDialogClass 30\n"
                                                      "_UISET SearchLineEditBox bridge\n"
                                                      "_UICLICK searchButton\n"
                                                      "_UIWAIT ViewWidget[0] 30\n"
                                                      "_UISELECT listWidget 0\n"
                                                      "_UISET downloadFolderLocationLineEdit %1\n"
                                                      "_UICLICK openButton\n"
                                                      "_UIWAIT DrawingView 60\n"
                                                      // The pane's eight rows, details shown.
                                                      "_UIWAIT moreActionPushButton[7] 60\n")
                                           .arg(folder)
                                           .toUtf8()));

        QProcess lintra;
        lintra.setProcessEnvironment(home.environment());
        lintra.start(LINTRA_BIN, {"--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                  "--script", script, "--print-ui", "--print-widgets",
                                  home.filePath("widgets.json"), "--exit"});
        QVERIFY(lintra.waitForFinished(180000));
        const QByteArray errors = lintra.readAllStandardError();
        QVERIFY2(lintra.exitCode() == 0, errors.constData());

        const QJsonObject ui = QJsonDocument::fromJson(lintra.readAllStandardOutput()).object();
        QCOMPARE(ui.value("documents").toArray().toVariantList(),
                 QVariantList{folder + "/bridge.dwg"});
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 (QStringList{"bridge.dwg", "deck-photo.png", "deck.dwg", "load-table.pdf",
                              "logo.png", "piers.dxf", "rebar.dxf"}));
        const QJsonObject bridge = DxfTest::ezdxfReport(folder + "/bridge.dwg");
        QCOMPARE(bridge.value("xrefs").toObject().value("piers").toString(), folder + "/piers.dxf");
        QCOMPARE(bridge.value("pdfs").toArray().first().toString(), folder + "/load-table.pdf");

        // The task pane lists the drawing's files, each known to the file database.
        const QByteArray widgets = DxfTest::readBytes(home.filePath("widgets.json"));
        for (const char *name : {"deck.dwg", "piers.dxf", "rebar.dxf", "logo.png", "load-table.pdf"})
            QVERIFY2(widgets.contains(name), name);
        const QByteArray database = DxfTest::readBytes(
            home.filePath("config/fzcachedir/FzxConnector/filedb.xml"));
        QCOMPARE(database.count("<file "), 7);
    }

private:
    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
};

QTEST_GUILESS_MAIN(TestOpenInHost)
#include "tst_openinhost.moc"
