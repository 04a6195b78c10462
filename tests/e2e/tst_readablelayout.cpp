// What the user reads, read in full: the task pane, the open dialog's results as a grid and as
// tiles, and the save dialog with its cells and column titles, in the real host against a real platform, at the usual font and
// at one and a half times its size, in English and in German. No label or button of theirs may
// be cut off or shortened with an ellipsis, every button of the dialogs has an Alt letter of
// its own, the pane says each file's status and who holds its
// lock in words, and the texts are in the host's language.

#include "platformprocess.h"
#include "testhome.h"
#include "widgetsnapshotfile.h"

#include <QtTest>

namespace {

// Where in the window tree a widget stands, as "window/.../name".
void collectClipped(const QJsonObject &node, const QString &path, QStringList *clipped)
{
    const QString name = node.value("objectName").toString().isEmpty()
        ? node.value("class").toString()
        : node.value("objectName").toString();
    const QString here = path + '/' + name;
    if (node.value("clipped").toBool()) {
        // A view names its cut cells; other widgets have the one text.
        QStringList cells;
        for (const QJsonValue &cell : node.value("clippedCells").toArray())
            cells.append(cell.toString());
        clipped->append(here + ' '
                        + (cells.isEmpty() ? '"' + node.value("text").toString() + '"'
                                           : cells.join(", ")));
    }
    for (const QJsonValue &child : node.value("children").toArray())
        collectClipped(child.toObject(), here, clipped);
}

QStringList clippedTexts(const WidgetSnapshotFile &snapshot)
{
    QStringList clipped;
    for (const QJsonValue &window : snapshot.json().value("windows").toArray())
        collectClipped(window.toObject(), QString(), &clipped);
    return clipped;
}

// The texts of every shown widget called name, depth first.
void collectTexts(const QJsonObject &node, const QString &name, QStringList *texts)
{
    if (node.value("objectName").toString() == name && node.value("visible").toBool())
        texts->append(node.value("text").toString());
    for (const QJsonValue &child : node.value("children").toArray())
        collectTexts(child.toObject(), name, texts);
}

// The shown buttons of a window, "name text" each, with their Alt letters.
void collectButtons(const QJsonObject &node, QMap<QString, QString> *mnemonics)
{
    if (!node.value("visible").toBool())
        return;
    const QString kind = node.value("class").toString();
    if ((kind.endsWith("Button") || kind == "QCheckBox") && !node.value("text").toString().isEmpty())
        mnemonics->insert(node.value("objectName").toString() + ' ' + node.value("text").toString(),
                          node.value("mnemonic").toString());
    for (const QJsonValue &child : node.value("children").toArray())
        collectButtons(child.toObject(), mnemonics);
}

// The buttons of the window called name that have no Alt letter or share one with another.
QStringList buttonsWithoutOwnLetter(const WidgetSnapshotFile &snapshot, const QString &name)
{
    QMap<QString, QString> mnemonics;
    for (const QJsonValue &window : snapshot.json().value("windows").toArray())
        if (window.toObject().value("objectName").toString() == name)
            collectButtons(window.toObject(), &mnemonics);
    QStringList wrong;
    for (auto it = mnemonics.cbegin(); it != mnemonics.cend(); ++it)
        if (it.value().isEmpty() || mnemonics.keys(it.value()).size() > 1)
            wrong.append(it.key() + " [" + it.value() + ']');
    return mnemonics.isEmpty() ? QStringList{name + " has no buttons"} : wrong;
}

} // namespace

class TestReadableLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
    }

    void everyTextShowsInFull_data()
    {
        QTest::addColumn<QString>("fontDpi");
        QTest::addColumn<QString>("hostLanguage");
        // The open dialog's Open button, and the words of a current file and of bob's lock.
        QTest::addColumn<QString>("openButton");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("lockedByBob");
        QTest::newRow("usual font") << "96" << "0" << "Open" << "Current" << "Locked by bob";
        QTest::newRow("fonts one and a half times as large")
            << "144" << "0" << "Open" << "Current" << "Locked by bob";
        const QString open = QString::fromUtf8("\u00d6ffnen");
        QTest::newRow("German, usual font")
            << "96" << "1" << open << "Aktuell" << "Gesperrt von bob";
        QTest::newRow("German, fonts one and a half times as large")
            << "144" << "1" << open << "Aktuell" << "Gesperrt von bob";
    }

    void everyTextShowsInFull()
    {
        QFETCH(QString, fontDpi);
        QFETCH(QString, hostLanguage);
        QFETCH(QString, openButton);
        QFETCH(QString, current);
        QFETCH(QString, lockedByBob);
        TestHome home;
        QVERIFY(m_platform.writeLauncherFiles("alice", home.environment()));
        const QStringList lines = {
            "_AurexOpen", "_UIWAIT OpenFromCSDialogClass 30",
            "_UISET CollabSpaceSelectorComboBox \"Common Space\"", "_UISET SearchLineEditBox AX",
            "_UICLICK searchButton", "_UIWAIT ViewWidget[3] 30", "_UISNAPSHOT grid.json",
            "_UITRIGGER OpenFromCSDialogClass/tilesViewAction", "_UISNAPSHOT tiles.json",
            // bridge.dwg, the newest, is the first tile.
            "_UISELECT listWidget 0", "_UICLICK openButton", "_UIWAIT moreActionPushButton[7] 90",
            "_UISNAPSHOT pane.json", "_AurexSave", "_UIWAIT SaveToCSDialog 60",
            "_UISNAPSHOT save.json", "_UICLICK SaveToCSDialog/CancelPushButton"};
        QVERIFY(home.write("layout.scr", lines.join('\n').toUtf8()));

        QProcessEnvironment environment = home.environment();
        environment.insert("QT_FONT_DPI", fontDpi);
        QProcess lintra;
        lintra.setProcessEnvironment(environment);
        lintra.setWorkingDirectory(home.path());
        lintra.start(LINTRA_BIN, {"--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                  "--language", hostLanguage, "--script", "layout.scr",
                                  "--exit"});
        QVERIFY(lintra.waitForFinished(180000));
        QVERIFY2(lintra.exitStatus() == QProcess::NormalExit && lintra.exitCode() == 0,
                 lintra.readAllStandardError().right(3000).constData());

        for (const QString view : {"grid", "tiles", "pane", "save"}) {
            const WidgetSnapshotFile snapshot(home.filePath(view + ".json"));
            QVERIFY2(snapshot.isValid(), qPrintable(view));
            const QStringList clipped = clippedTexts(snapshot);
            QVERIFY2(clipped.isEmpty(), qPrintable(view + ":\n" + clipped.join('\n')));
        }

        // Every button of both dialogs answers to Alt and a letter of its own, in each language.
        for (const auto &[view, window] : {std::pair{"grid", "OpenFromCSDialogClass"},
                                           std::pair{"save", "SaveToCSDialog"}}) {
            const QStringList wrong =
                buttonsWithoutOwnLetter(WidgetSnapshotFile(home.filePath(QString(view) + ".json")),
                                        window);
            QVERIFY2(wrong.isEmpty(), qPrintable(QString(view) + ":\n" + wrong.join('\n')));
        }

        QStringList openTexts;
        const WidgetSnapshotFile grid(home.filePath("grid.json"));
        for (const QJsonValue &window : grid.json().value("windows").toArray())
            collectTexts(window.toObject(), "openButton", &openTexts);
        QCOMPARE(openTexts, QStringList{openButton});

        // The words beside the icons: bob holds deck.dwg's lock, the rest are as downloaded.
        QStringList states;
        const WidgetSnapshotFile pane(home.filePath("pane.json"));
        for (const QJsonValue &window : pane.json().value("windows").toArray())
            collectTexts(window.toObject(), "stateLabel", &states);
        QCOMPARE(states.count(), 8);
        QCOMPARE(states.count(current), 7);
        QCOMPARE(states.count(current + QString::fromUtf8(" \u00b7 ") + lockedByBob), 1);
    }

private:
    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
};

QTEST_MAIN(TestReadableLayout)
#include "tst_readablelayout.moc"
