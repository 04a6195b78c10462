// Which drawings use a file, against the platform double, as alice sees it: the drawings that
// reference it with the ones above them, with number, space, version and who saved them; those
// in spaces she is not a member of counted, never named; and what the dialog says when nothing
// uses the file or the platform cannot be asked.

#include "open/whereuseddialog.h"

#include "session/showaurextaskpane.h"

#include "opentestsupport.h"

#include <hostenvironment.h>
#include <platformdouble.h>
#include <testhome.h>

#include <QTreeWidget>
#include <QtTest>

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

    // Rows (bridge.dwg's version 2 saved at 10:05), title and message as approved.
    void drawingsStandBelowTheFileTheyReachItThrough()
    {
        m_platform->saveNewVersion("bridge.dwg", "bridge 2", "bob", "Deck widened");
        m_platform->setUsedBy("rebar.dxf",
                              {{"deck.dwg", 1, ""}, {"piers.dxf", 1, ""}, {"quay.dxf", 1, ""},
                               {"bridge.dwg", 2, "piers.dxf"}},
                              2);
        open();
        QStringList headers;
        for (int column = 0; column < m_dialog->drawingsView()->columnCount(); ++column)
            headers << m_dialog->drawingsView()->headerItem()->text(column);
        QCOMPARE(headers, (QStringList{"Drawing", "Drawing Number", "Collaborative Space",
                                       "Version", "Saved By", "Saved On"}));
        verifyApproved("where-used-rebar");
        // Closed, it is gone, not kept hidden for the rest of the run.
        m_dialog->close();
        QTRY_VERIFY(m_dialog.isNull());
    }

    // No rows, and a message of why (the approved states); no Refresh while offline.
    void whatTheDialogSaysWhenItHasNoDrawingToShow_data()
    {
        QTest::addColumn<int>("hidden");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("refused");
        QTest::newRow("used nowhere") << 0 << false << false;
        QTest::newRow("used only where alice is no member") << 1 << false << false;
        QTest::newRow("offline") << 0 << true << false;
        QTest::newRow("platform away") << 0 << false << true;
    }

    void whatTheDialogSaysWhenItHasNoDrawingToShow()
    {
        QFETCH(int, hidden);
        QFETCH(bool, offline);
        QFETCH(bool, refused);
        m_platform->setUsedBy("rebar.dxf", {}, hidden);
        if (refused)
            m_platform->setBehaviour(PlatformDouble::Refuse);
        m_session->setOffline(offline);
        open();
        verifyApproved(QStringLiteral("where-used-") + QTest::currentDataTag());
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
    void verifyApproved(const QString &name)
    {
        const QString differences = OpenTest::approvedDifferences(m_dialog, name);
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

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
