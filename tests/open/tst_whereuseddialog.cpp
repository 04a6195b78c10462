// Which drawings use a file, against the platform double, as alice sees it: the drawings that
// reference it with the ones above them, with number, space, version and who saved them; those
// in spaces she is not a member of counted, never named; and what the dialog says when nothing
// uses the file or the platform cannot be asked.

#include "open/whereuseddialog.h"

#include "connector/recordconstants.h"
#include "session/showaurextaskpane.h"

#include "opentestsupport.h"

#include <hostenvironment.h>
#include <platformdouble.h>
#include <testhome.h>

#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The double's stamps: 2026-12-01 from 10:00 UTC, a minute apart in the order of the changes.
// Every row of the tree, indented by its depth, cells joined by "|".
QStringList rows(const QTreeWidget *view)
{
    QStringList lines;
    std::function<void(const QTreeWidgetItem *, int)> add = [&](const QTreeWidgetItem *item,
                                                                 int depth) {
        QStringList cells;
        for (int column = 0; column < view->columnCount(); ++column)
            cells << item->text(column);
        lines << QString(depth * 2, ' ') + cells.join('|');
        for (int i = 0; i < item->childCount(); ++i)
            add(item->child(i), depth + 1);
    };
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        add(view->topLevelItem(i), 0);
    return lines;
}

QStringList headers(const QTreeWidget *view)
{
    QStringList texts;
    for (int column = 0; column < view->columnCount(); ++column)
        texts << view->headerItem()->text(column);
    return texts;
}

} // namespace

class TestWhereUsedDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
        m_host = std::make_unique<HostEnvironment>();
    }

    // rebar.dxf (10:00) is referenced by deck.dwg (10:01) and piers.dxf (10:02), both below
    // bridge.dwg (10:03); quay.dxf (10:04) of another space references it too.
    void init()
    {
        m_platform = std::make_unique<PlatformDouble>();
        m_rebar = m_platform->addObject("rebar.dxf", "rebar");
        m_platform->addObject("deck.dwg", "deck");
        m_platform->addObject("piers.dxf", "piers");
        m_platform->addObject("bridge.dwg", "bridge");
        m_platform->addObject("quay.dxf", "quay", "Harbour Works");
        m_session = std::make_unique<ShowAurexTaskPane>(m_platform.get());
        m_session->startSession(QStringLiteral("where-used-%1").arg(++m_run));
        m_session->setCurrentUser(PlatformDouble::kUser);
    }

    void cleanup()
    {
        delete m_dialog;
        m_session.reset();
        m_platform.reset();
    }

    void drawingsStandBelowTheFileTheyReachItThrough()
    {
        m_platform->saveNewVersion("bridge.dwg", "bridge 2", "bob", "Deck widened");
        m_platform->setUsedBy("rebar.dxf",
                              {{"deck.dwg", 1, ""}, {"piers.dxf", 1, ""}, {"quay.dxf", 1, ""},
                               {"bridge.dwg", 2, "piers.dxf"}},
                              2);
        open();
        QCOMPARE(m_dialog->windowTitle(), QString("Where rebar.dxf Is Used"));
        const QTreeWidget *view = m_dialog->drawingsView();
        QCOMPARE(headers(view), (QStringList{"Drawing", "Drawing Number", "Collaborative Space",
                                             "Version", "Saved By", "Saved On"}));
        QCOMPARE(rows(view), (QStringList{
                                 "deck.dwg||Engineering|1|alice|" + OpenTest::savedAt(1),
                                 "piers.dxf||Engineering|1|alice|" + OpenTest::savedAt(2),
                                 "  bridge.dwg||Engineering|2|bob|" + OpenTest::savedAt(5),
                                 "quay.dxf||Harbour Works|1|alice|" + OpenTest::savedAt(4),
                             }));
        QCOMPARE(m_dialog->message(),
                 QString("And 2 drawings in spaces you are not a member of."));
        const QString differences = OpenTest::approvedDifferences(m_dialog, "where-used-rebar");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        // Closed, it is gone, not kept hidden for the rest of the run.
        m_dialog->close();
        QTRY_VERIFY(m_dialog.isNull());
    }

    void whatTheDialogSaysWhenItHasNoDrawingToShow_data()
    {
        QTest::addColumn<int>("hidden");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("message");
        QTest::newRow("used nowhere")
            << 0 << false << false << "No drawing on the AUREX Platform uses rebar.dxf.";
        QTest::newRow("used only where alice is no member")
            << 1 << false << false
            << "No drawing that you can see uses rebar.dxf.\n"
               "And 1 drawing in a space you are not a member of.";
        QTest::newRow("offline") << 0 << true << false
                                 << "Which drawings use a file is known to the AUREX Platform: "
                                    "go online to see it. You are working offline.";
        QTest::newRow("platform away")
            << 0 << false << true
            << "The AUREX Platform cannot be reached: Connection refused.";
    }

    void whatTheDialogSaysWhenItHasNoDrawingToShow()
    {
        QFETCH(int, hidden);
        QFETCH(bool, offline);
        QFETCH(bool, refused);
        QFETCH(QString, message);
        m_platform->setUsedBy("rebar.dxf", {}, hidden);
        if (refused)
            m_platform->setBehaviour(PlatformDouble::Refuse);
        m_session->setOffline(offline);
        open();
        QCOMPARE(rows(m_dialog->drawingsView()), QStringList());
        QCOMPARE(m_dialog->message(), message);
        QCOMPARE(m_dialog->findChild<QPushButton *>("RefreshButton")->isEnabled(), !offline);
        const QString differences = OpenTest::approvedDifferences(
            m_dialog, QStringLiteral("where-used-") + QTest::currentDataTag());
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // What the save dialog says of a changed rebar.dxf: the drawings that reference it
    // directly and are not saved with it, and those in other spaces, counted.
    void alsoUsedNamesTheOthersThatReferenceTheFile_data()
    {
        QTest::addColumn<QStringList>("savedWith");
        QTest::addColumn<int>("hidden");
        QTest::addColumn<int>("directDepth"); // 0: the platform does not say
        QTest::addColumn<QString>("text");
        QTest::newRow("saved alone")
            << QStringList() << 2 << 1
            << "rebar.dxf is also used by deck.dwg, piers.dxf, quay.dxf, and 2 drawings in spaces "
               "you are not a member of.";
        QTest::newRow("saved with deck.dwg")
            << QStringList{"deck.dwg"} << 1 << 1
            << "rebar.dxf is also used by piers.dxf, quay.dxf, and 1 drawing in a space you are "
               "not a member of.";
        QTest::newRow("saved with everything that uses it")
            << QStringList{"deck.dwg", "piers.dxf", "quay.dxf"} << 0 << 1 << "";
        // A platform from before depths names the drawings that use the file directly.
        QTest::newRow("no depths said")
            << QStringList{"deck.dwg"} << 0 << 0
            << "rebar.dxf is also used by piers.dxf and quay.dxf.";
    }

    void alsoUsedNamesTheOthersThatReferenceTheFile()
    {
        QFETCH(QStringList, savedWith);
        QFETCH(int, hidden);
        QFETCH(int, directDepth);
        QFETCH(QString, text);
        QList<PlatformDouble::UsedBy> users{{"deck.dwg", directDepth, ""},
                                            {"piers.dxf", directDepth, ""},
                                            {"quay.dxf", directDepth, ""}};
        if (directDepth > 0)
            users.append({"bridge.dwg", 2, "piers.dxf"});
        m_platform->setUsedBy("rebar.dxf", users, hidden);
        // The list is joined as the user's language joins one: here English.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
        WhereUsed found;
        // Asked again, the answer replaces the last one rather than adding to it.
        QCOMPARE(found.ask(m_platform.get(), m_rebar, "rebar.dxf"), QString());
        const int listed = found.drawings().size();
        QCOMPARE(found.ask(m_platform.get(), m_rebar, "rebar.dxf"), QString());
        QCOMPARE(found.drawings().size(), listed);
        QSet<QString> names;
        for (const WhereUsed::Drawing &drawing : found.drawings()) {
            if (savedWith.contains(drawing.title))
                names.insert(drawing.name);
        }
        QCOMPARE(names.size(), savedWith.size());
        QCOMPARE(found.alsoUsedText(names), text);
    }

private:
    void open()
    {
        m_dialog = WhereUsedDialog::showNew(m_session.get(), m_rebar, "rebar.dxf");
        QTRY_VERIFY(m_dialog && m_dialog->isVisible() && !m_dialog->isBusy());
    }

    TestHome m_home;
    std::unique_ptr<HostEnvironment> m_host;
    std::unique_ptr<PlatformDouble> m_platform;
    std::unique_ptr<ShowAurexTaskPane> m_session;
    QPointer<WhereUsedDialog> m_dialog;
    QString m_rebar; // the platform name of rebar.dxf
    int m_run = 0;
};

QTEST_MAIN(TestWhereUsedDialog)
#include "tst_whereuseddialog.moc"
