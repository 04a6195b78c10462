// The open dialog against a real platform and the host's services: what each search asks for,
// the results' locks and order, the folder rules, opening into a folder, the "already open"
// warning.

#include "open/openfromcsdialog.h"

#include "connector/recordfields.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/viewwidget.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include "opentestsupport.h"

#include <hostdocumentmanager.h>
#include <hostenvironment.h>
#include <platformclient.h>
#include <testhome.h>

#include <cfxdocument.h>
#include <fzfileinfo.h>

#include <QtTest>
#include <QtWidgets>

class TestOpenFromCSDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_home.applyToProcess();
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        QVERIFY(OpenTest::signInAsAlice(m_platform));
        ShowAurexTaskPane::instance()->setCurrentUser("alice");
        m_host = std::make_unique<HostEnvironment>();
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        showDialog();
    }

    void cleanup()
    {
        delete m_dialog;
        m_host->documents()->closeAll();
        QFile::remove(FileDatabase::locationFor(QString()));
    }

    // What each search found, and that it opens nothing yet, as approved.
    void searchAsksForWhatTheChoiceSays_data()
    {
        QTest::addColumn<QString>("space");
        QTest::addColumn<QString>("text");
        // One space: drawings of that space whose platform name or title matches; the demo's
        // automatic names all start with "AX".
        QTest::newRow("one space, by name") << "Common Space" << "AX";
        QTest::newRow("one space, by part of a title") << "Common Space" << "eck";
        // Every space: drawings whose title matches; no inserts, and no previews the platform made.
        QTest::newRow("all spaces, by title") << "" << "deck";
    }

    void searchAsksForWhatTheChoiceSays()
    {
        QFETCH(QString, space);
        QFETCH(QString, text);
        search(text, space);
        verifyApproved(QStringLiteral("search-") + QTest::currentDataTag());
    }

    void resultsShowLocksSortAndProposeAFolder()
    {
        const QString known = m_dir->filePath("projects/bridge");
        FileDatabase(QString()).addFile(known + "/piers.dxf", "", "piers.dxf", "", "",
                                        "ACAD Drawing", "false");
        search("AX", "Common Space");
        m_dialog->AscendingSortSlot(4);
        QCOMPARE(titles(), (QStringList{"rebar.dxf", "piers.dxf", "deck.dwg", "bridge.dwg"}));
        // The order chosen holds for the next search, in this dialog and in the next one.
        delete m_dialog;
        showDialog();
        search("AX", "Common Space");
        QCOMPARE(titles(), (QStringList{"rebar.dxf", "piers.dxf", "deck.dwg", "bridge.dwg"}));
        m_dialog->AscendingSortSlot(3);
        // Choosing a result proposes the folder of its known copy, else the documents folder.
        // The approved state: sorted by name, deck.dwg's tile showing bob's lock, Open offered.
        select({"piers.dxf"});
        verifyApproved("results-by-name-one-chosen");
        auto *folder = child<QLineEdit>("downloadFolderLocationLineEdit");
        auto *open = child<QPushButton>("openButton");
        select({"rebar.dxf"});
        QCOMPARE(folder->text(),
                 QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).value(0));
        // Browse gives the folder; with two files chosen, Open still waits for one.
        select({"piers.dxf", "rebar.dxf"});
        QVERIFY(!open->isEnabled());
        const QString browsed = m_dir->filePath("browsed");
        QVERIFY(QDir().mkpath(browsed));
        OpenTest::ModalAnswerer chooser(browsed);
        QTest::mouseClick(child<QPushButton>("browseButton"), Qt::LeftButton);
        QTRY_COMPARE(folder->text(), browsed);
        QVERIFY(!open->isEnabled());
        // A copy of the same platform object, under whatever local name, is where it goes again.
        const QString copy = m_dir->filePath("elsewhere");
        for (ViewWidget *widget : m_dialog->resultWidgets()) {
            if (recordTitle(*widget->record()) == "rebar.dxf")
                FileDatabase(QString()).addFile(copy + "/rebar-old.dxf", "",
                                                recordProperty(*widget->record(), "name"), "", "",
                                                "ACAD Drawing", "false");
        }
        select({"rebar.dxf"});
        QCOMPARE(folder->text(), copy);

        // Tiles, one under another, and back to the grid.
        auto *list = child<QListWidget>("listWidget");
        QList<int> modes;
        for (const char *view : {"tilesViewAction", "gridViewAction"}) {
            m_dialog->findChild<QAction *>(view)->trigger();
            modes << list->viewMode();
        }
        QCOMPARE(modes, (QList<int>{QListView::ListMode, QListView::IconMode}));
    }

    // Opened into a folder not made yet: the folder is made, the drawing comes down with all
    // it references and opens; opened again once closed, the local copies are there and the
    // user is asked which to use.
    void opensTheDrawingWithAllItReferences()
    {
        const QString folder = m_dir->filePath("new/project");
        chooseBridgeInto(folder);
        QTest::mouseClick(child<QPushButton>("openButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_host->documents()->GetCurrentDocument(), 30000);
        QCOMPARE(m_host->documents()->GetCurrentDocument()->GetPathName().toQString(),
                 folder + "/bridge.dwg");
        QCOMPARE(QDir(folder).entryList(QDir::Files), OpenTest::kStructure);
        QTRY_VERIFY(m_dialog.isNull());

        m_host->documents()->closeAll();
        showDialog();
        chooseBridgeInto(folder);
        QTest::mouseClick(child<QPushButton>("openButton"), Qt::LeftButton);
        QDialog *choice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (choice = m_dialog->findChild<QDialog *>("OpenFromCollaborativeSpace"))
                && choice->isVisible(),
            30000);
        // A help button in its title bar would lead nowhere.
        QVERIFY(!choice->windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        choice->reject();
        QVERIFY(!m_host->documents()->GetCurrentDocument());
    }

    void drawingOpenUnderTheTargetPathIsNotDownloaded()
    {
        const QString folder = m_dir->filePath("download");
        const QByteArray local = DxfTest::readBytes(AUREX_DEMO_FILES "/rebar.dxf");
        QVERIFY(DxfTest::writeBytes(folder + "/bridge.dwg", local));
        QVERIFY(m_host->documents()->OpenDocument(CFxString(folder + "/bridge.dwg")));
        const QString other = DxfTest::dataPath("ezdxf/geometry-r2000.dxf");
        QVERIFY(m_host->documents()->OpenDocument(CFxString(other)));

        chooseBridgeInto(folder);
        OpenTest::ModalAnswerer answers("Use Existing");
        QTest::mouseClick(child<QPushButton>("openButton"), Qt::LeftButton);
        QTRY_VERIFY(m_dialog.isNull());
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(answers.texts.first().startsWith("A document with the same name exists"));
        QCOMPARE(m_host->documents()->GetCurrentDocument()->GetPathName().toQString(),
                 folder + "/bridge.dwg");
        QCOMPARE(DxfTest::readBytes(folder + "/bridge.dwg"), local);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"bridge.dwg"});
    }

    // Cancel pressed while the "already open" question waits and another window's menu runs
    // its own event loop (the pane's "More Action" menu): the dialog goes with its question,
    // and nothing is freed twice.
    void cancelWhileTheQuestionWaitsUnderAnotherMenu()
    {
        const QString folder = m_dir->filePath("download");
        QVERIFY(DxfTest::writeBytes(folder + "/bridge.dwg",
                                    DxfTest::readBytes(AUREX_DEMO_FILES "/rebar.dxf")));
        QVERIFY(m_host->documents()->OpenDocument(CFxString(folder + "/bridge.dwg")));
        chooseBridgeInto(folder);
        QPointer<QMessageBox> question;
        bool menuRan = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto *box = m_dialog ? m_dialog->findChild<QMessageBox *>() : nullptr;
            if (!box || !box->isVisible() || menuRan)
                return;
            question = box;
            menuRan = true;
            watch.stop();
            QMenu other;
            other.addAction("Lock");
            QTimer::singleShot(0, m_dialog, [this] { child<QPushButton>("cancelButton")->click(); });
            QTimer closeWhenGone;
            connect(&closeWhenGone, &QTimer::timeout, &other, [&] {
                if (m_dialog.isNull())
                    other.close();
            });
            closeWhenGone.start(10);
            other.exec(QPoint(0, 0));
        });
        watch.start(10);
        QTest::mouseClick(child<QPushButton>("openButton"), Qt::LeftButton);
        QTRY_VERIFY(menuRan);
        QTRY_VERIFY(m_dialog.isNull());
        QVERIFY(question.isNull());
        // The drawing that was open stays open, and nothing came down.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"bridge.dwg"});
    }

    // The delete entry of each result as the user's role in the space allows it: an editor
    // deletes what they own, a manager anything, a reader nothing; a delete says the files went
    // to the trash and how they come back.
    void deleteGoesToTheTrashAsTheRoleAllows()
    {
        PlatformClient bob(m_platform.serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        QCOMPARE(bob.checkIn({QJsonObject{{"parent", -1}, {"title", "notes.dxf"},
                                          {"name", bob.autoname()},
                                          {"collabspace", "Common Space"}}},
                             {"bob's notes"}),
                 200);
        const auto deletable = [this](const QString &role) {
            if (m_platform.run({"member", "role", "Common Space", "alice", role}).exitCode != 0)
                return QStringList{"role not set"};
            search("AX", "Common Space");
            QStringList states;
            for (ViewWidget *widget : m_dialog->resultWidgets()) {
                const QAction *remove = widget->actionMenu()->findChild<QAction *>("DeleteMenu");
                states << recordTitle(*widget->record()) + (remove->isEnabled() ? " yes" : " no");
            }
            states.sort();
            return states;
        };
        // deck.dwg is bob's lock, notes.dxf his file; the rest alice's.
        QCOMPARE(deletable("reader"), (QStringList{"bridge.dwg no", "deck.dwg no", "notes.dxf no",
                                                   "piers.dxf no", "rebar.dxf no"}));
        QCOMPARE(deletable("manager"), (QStringList{"bridge.dwg yes", "deck.dwg no",
                                                    "notes.dxf yes", "piers.dxf yes",
                                                    "rebar.dxf yes"}));
        QCOMPARE(deletable("editor"), (QStringList{"bridge.dwg yes", "deck.dwg no",
                                                   "notes.dxf no", "piers.dxf yes",
                                                   "rebar.dxf yes"}));

        ViewWidget *rebar = nullptr;
        for (ViewWidget *widget : m_dialog->resultWidgets())
            rebar = recordTitle(*widget->record()) == "rebar.dxf" ? widget : rebar;
        const QString name = recordProperty(*rebar->record(), "name");
        OpenTest::ModalAnswerer answers;
        rebar->actionMenu()->findChild<QAction *>("DeleteMenu")->trigger();
        QTRY_COMPARE(answers.texts.size(), 1);
        QCOMPARE(answers.texts.first().section("\n", 0, 0),
                 "Moved to the trash of Common Space: rebar.dxf (" + name + ").");
        QVERIFY2(answers.texts.first().contains("bring back what you deleted"),
                 qPrintable(answers.texts.first()));
        QTRY_VERIFY(!titles().contains("rebar.dxf"));
        const PlatformProcess::Result trash = m_platform.run({"trash", "list", "--json"});
        QCOMPARE(QJsonDocument::fromJson(trash.out).array().at(0)["name"].toString(), name);
        QCOMPARE(m_platform.run({"trash", "restore", name}).exitCode, 0);
    }

    // The results' menu offers a file's history and where it is used for one file chosen,
    // never for several.
    void historyAndWhereUsedAreForOneFile()
    {
        search("AX", "Common Space");
        QStringList offered;
        for (const QStringList &chosen : {QStringList{"piers.dxf"},
                                          QStringList{"piers.dxf", "rebar.dxf"}}) {
            select(chosen);
            auto *list = child<QListWidget>("listWidget");
            emit list->customContextMenuRequested(QPoint(5, 5));
            QMenu *menu = nullptr;
            QTRY_VERIFY((menu = m_dialog->findChild<QMenu *>("ContextMenu")));
            offered << QString("%1: history %2, where used %3")
                           .arg(chosen.size())
                           .arg(menu->findChild<QAction *>("HistoryMenu")->isEnabled())
                           .arg(menu->findChild<QAction *>("WhereUsedMenu")->isEnabled());
            delete menu;
        }
        QCOMPARE(offered, (QStringList{"1: history 1, where used 1",
                                       "2: history 0, where used 0"}));
    }

    // Runs last: the platform goes away.
    void searchWithThePlatformGoneSaysWhy()
    {
        m_platform.stop();
        OpenTest::ModalAnswerer answers;
        search("bridge");
        // Not "0 Results": the user is told that, and why, the platform cannot be reached.
        QTRY_COMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts.first().startsWith("The AUREX Platform cannot be reached: "),
                 qPrintable(answers.texts.first()));
        QVERIFY(titles().isEmpty());
    }

private:
    // The dialog compared whole with its state approved under name. The demo's versions were
    // made as the test started, in folders of its own: their times and paths vary.
    void verifyApproved(const QString &name) const
    {
        ApprovedState approved;
        approved.replace(m_dir->path(), "<dir>");
        approved.replace(m_home.path(), "<home>");
        approved.leaveOutTimesOfThisRun();
        const QString differences = approved.differences(m_dialog, name);
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // bridge.dwg found and chosen, to be opened into folder.
    void chooseBridgeInto(const QString &folder)
    {
        search("bridge");
        select({"bridge.dwg"});
        child<QLineEdit>("downloadFolderLocationLineEdit")->setText(folder);
    }

    QStringList titles() const
    {
        QStringList out;
        for (ViewWidget *widget : m_dialog->resultWidgets())
            out.append(recordTitle(*widget->record()));
        return out;
    }

    template <class T> T *child(const char *name) const { return m_dialog->findChild<T *>(name); }

    void showDialog()
    {
        m_dialog = OpenFromCSDialog::showNew(ShowAurexTaskPane::instance());
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        // The spaces arrive after the dialog shows.
        QTRY_VERIFY(!m_dialog->isBusy());
    }

    void search(const QString &text, const QString &space = QString())
    {
        auto *spaces = child<QComboBox>("CollabSpaceSelectorComboBox");
        spaces->setCurrentIndex(space.isEmpty() ? 0 : spaces->findText(space));
        child<QLineEdit>("SearchLineEditBox")->setText(text);
        QTest::mouseClick(child<QPushButton>("searchButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isBusy(), 30000);
    }

    void select(const QStringList &wanted)
    {
        auto *list = child<QListWidget>("listWidget");
        list->clearSelection();
        for (int i = 0; i < list->count(); ++i) {
            auto *widget = qobject_cast<ViewWidget *>(list->itemWidget(list->item(i)));
            if (wanted.contains(recordTitle(*widget->record()))) {
                list->item(i)->setSelected(true);
                list->setCurrentItem(list->item(i), QItemSelectionModel::Select);
            }
        }
    }

    TestHome m_home;
    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
    std::unique_ptr<HostEnvironment> m_host;
    QPointer<OpenFromCSDialog> m_dialog;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestOpenFromCSDialog)
#include "tst_openfromcsdialog.moc"
