// The host's documents: the notifications modules see as drawings open, switch and close, a
// file that is no drawing, and closing a drawing from its tab in the main window, which asks
// about unsaved changes like the close command; menus rebuilt from the model replace the old
// ones.

#include "approvedstate.h"
#include "commandprocessor.h"
#include "defaultuilayout.h"
#include "dockingpanemanager.h"
#include "drawingview.h"
#include "filecommands.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "hostservices.h"
#include "mainwindow.h"

#include <cfxdocumentmanagerreactor.h>
#include <cfxsystemservices.h>
#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>
#include <oddbhostappservices.h>

#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

// Records notifications as "<name> <file name>".
class RecordingReactor : public CFxDocumentManagerReactor
{
public:
    QStringList log;

    void DocumentCreateStarted(CFxDocument *d) override { add("createStarted", d); }
    void DocumentCreated(CFxDocument *d) override { add("created", d); }
    void DocumentToBeDestroyed(CFxDocument *d) override { add("toBeDestroyed", d); }
    void DocumentDestroyed(const CFxDocument *) override { log << QStringLiteral("destroyed"); }
    void DocumentToBeActivated(CFxDocument *d) override { add("toBeActivated", d); }
    void DocumentToBeDeactivated(CFxDocument *d) override { add("toBeDeactivated", d); }
    void DocumentActivated(CFxDocument *d) override { add("activated", d); }

private:
    void add(const char *name, CFxDocument *d)
    {
        log << QString::fromLatin1(name) + ' ' + static_cast<HostDocument *>(d)->title();
    }
};

} // namespace

class TestHostDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        // Drawings as the host makes them: its template for new drawings.
        for (const QString name : { "a.dwg", "b.dxf" })
            QVERIFY(QFile::copy(":/host/templates/newdrawing.dxf", m_dir.filePath(name)));
    }

    void init()
    {
        m_manager.AddReactor(&m_reactor);
        m_reactor.log.clear();
    }

    void cleanup()
    {
        m_manager.closeAll();
        m_manager.RemoveReactor(&m_reactor);
    }

    // Each row opens a.dwg and b.dxf, then runs its steps; the log holds what the steps notified.
    void notificationsFollowTheSteps_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("documents");
        QTest::addColumn<QString>("current");
        QTest::newRow("opening two") << QStringList() << QStringList({
            "createStarted a.dwg", "created a.dwg", "toBeActivated a.dwg", "activated a.dwg",
            "createStarted b.dxf", "created b.dxf", "toBeDeactivated a.dwg",
            "toBeActivated b.dxf", "activated b.dxf" }) << 2 << "b.dxf";
        QTest::newRow("opening an open drawing switches to it") << QStringList({ "open a.dwg" })
            << QStringList({ "toBeDeactivated b.dxf", "toBeActivated a.dwg", "activated a.dwg" })
            << 2 << "a.dwg";
        QTest::newRow("closing the current drawing activates another, once")
            << QStringList({ "close b.dxf", "close b.dxf" })
            << QStringList({ "toBeDestroyed b.dxf", "destroyed", "toBeActivated a.dwg",
                             "activated a.dwg" }) << 1 << "a.dwg";
    }

    void notificationsFollowTheSteps()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, log);
        QFETCH(int, documents);
        QFETCH(QString, current);
        QMap<QString, CFxDocument *> opened;
        for (const QString name : { "a.dwg", "b.dxf" })
            opened[name] = m_manager.OpenDocument(m_dir.filePath(name));
        if (!steps.isEmpty())
            m_reactor.log.clear();
        for (const QString &step : steps) {
            const QString name = step.section(' ', 1);
            if (step.startsWith("close"))
                m_manager.CloseDocument(opened.value(name));
            else
                QCOMPARE(m_manager.OpenDocument(m_dir.filePath(name)), opened.value(name));
        }
        QCOMPARE(m_reactor.log, log);
        QCOMPARE(m_manager.GetDocumentCount(), documents);
        QCOMPARE(m_manager.GetCurrentDocument(), opened.value(current));
    }

    void fileThatIsNoDrawingOpensNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary drawing") << QByteArray("AC1032\0\0\0\0\0\x01\x02", 13);
        QTest::newRow("truncated") << QByteArray("  0\nSECTION\n  2\nHEADER\n");
    }

    void fileThatIsNoDrawingOpensNothing()
    {
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath("broken.dwg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QSignalSpy failed(&m_manager, &HostDocumentManager::openFailed);
        QCOMPARE(m_manager.OpenDocument(path), nullptr);
        QCOMPARE(m_manager.GetDocumentCount(), 0);
        QVERIFY(m_reactor.log.isEmpty());
        QCOMPARE(failed.count(), 1);
        QVERIFY2(!failed.at(0).at(1).toString().isEmpty(), "the user is told why");
    }

    void closingAModifiedTabAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("cancel keeps it open") << int(QMessageBox::Cancel) << false;
        QTest::newRow("discard closes it") << int(QMessageBox::Discard) << true;
    }

    // The drawing moves with a drag of the middle button, as in CAD programs; a drag of the
    // left button leaves it where it is.
    void theMiddleButtonPansTheDrawing()
    {
        MainWindow window(&m_ui, &m_manager, &m_processor);
        window.show();
        QVERIFY(m_manager.OpenDocument(m_dir.filePath("a.dwg")));
        auto *view = window.findChild<DrawingView *>();
        QVERIFY(view && QTest::qWaitForWindowExposed(&window));
        QStringList moved;
        for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
            const QPointF before = view->viewTransform().map(QPointF());
            QTest::mousePress(view, button, {}, QPoint(50, 50));
            QMouseEvent drag(QEvent::MouseMove, QPointF(80, 70), Qt::NoButton, button, {});
            QApplication::sendEvent(view, &drag);
            QTest::mouseRelease(view, button, {}, QPoint(80, 70));
            const QPointF step = view->viewTransform().map(QPointF()) - before;
            moved << QString("%1, %2").arg(step.x()).arg(step.y());
        }
        QCOMPARE(moved, (QStringList{"0, 0", "30, 20"}));
    }

    void closingAModifiedTabAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        FileCommands files(&m_manager);
        MainWindow window(&m_ui, &m_manager, &m_processor);
        window.show();
        HostDocument *document = m_manager.newDocument();
        document->setModified();
        const QString title = document->title();

        QStringList questions;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                questions << box->text();
                box->button(QMessageBox::StandardButton(answer))->click();
            }
        });
        closer.start(20);
        emit window.findChild<QTabWidget *>("DocumentTabs")->tabCloseRequested(0);
        closer.stop();

        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.first().contains(title));
        QCOMPARE(m_manager.GetDocumentCount(), closed ? 0 : 1);
    }

    // A module's title names the tab until the drawing is saved under another name; a save
    // under its own name keeps it.
    void aTitleNamesTheTabUntilSavedElsewhere()
    {
        MainWindow window(&m_ui, &m_manager, &m_processor);
        auto *tabs = window.findChild<QTabWidget *>("DocumentTabs");
        CFxDocument *document = m_manager.OpenDocument(CFxString(m_dir.filePath("a.dwg")));
        QVERIFY(document);
        // The tab's tool tip says where the drawing lies, from the moment it opens.
        QCOMPARE(tabs->tabToolTip(0), m_dir.filePath("a.dwg"));
        document->SetTitle(CFxString("a.dwg (version 2)"));
        QCOMPARE(tabs->tabText(0), QString("a.dwg (version 2)"));
        QVERIFY(document->Save());
        QCOMPARE(tabs->tabText(0), QString("a.dwg (version 2)"));
        QString error;
        QVERIFY(static_cast<HostDocument *>(document)->saveAs(m_dir.filePath("c.dwg"), &error));
        QCOMPARE(tabs->tabText(0), QString("c.dwg"));
        // The drawing itself is that file now: references found beside it are found beside c.dwg.
        QCOMPARE(QString::fromStdWString(document->GetFxDatabase()->getFilename().wstring()),
                 m_dir.filePath("c.dwg"));
    }

    void refreshedMenusReplaceTheOldOnes()
    {
        buildDefaultUiLayout(&m_ui);
        MainWindow window(&m_ui, &m_manager, &m_processor);
        m_ui.RefreshMenus(0);
        m_ui.RefreshMenus(0);
        // Scripts find menu entries by name: one File menu, whatever was rebuilt before.
        QCOMPARE(window.menuBar()->findChildren<QMenu *>("ID_MnFile").size(), 1);
        QCOMPARE(window.menuBar()->findChildren<QAction *>("ID_New").size(), 1);
    }

    // A module's pane docks at the first side it allows, around the content it gave, under its
    // caption; the module gets that pane back to show and hide it later.
    void aModulesPaneDocksAroundItsContent()
    {
        buildDefaultUiLayout(&m_ui);
        MainWindow window(&m_ui, &m_manager, &m_processor);
        DockingPaneManager panes;
        panes.setMainWindow(&window);
        auto *content = new QLabel(QStringLiteral("files"));
        QWidget *pane = panes.CreateDockingPane(
            content, 7, CFxDockingPaneManager::BottomArea | CFxDockingPaneManager::RightArea,
            QStringLiteral("Files"), QStringLiteral("Files of the drawing"), 0, 0, -1, -1, 120,
            80, 1, 0);
        auto *dock = qobject_cast<QDockWidget *>(pane);
        QVERIFY(dock);
        QCOMPARE(window.findChildren<QDockWidget *>().count(dock), 1);
        QCOMPARE(dock->widget(), content);
        QCOMPARE(dock->windowTitle(), QString("Files of the drawing"));
        QCOMPARE(window.dockWidgetArea(dock), Qt::RightDockWidgetArea);
        QCOMPARE(panes.panes(), QList<QDockWidget *>{dock});
    }

    // Modules reach the host's services while the host lives, and find none once it is gone
    // (a module unloaded late must not call into a host that no longer exists).
    void servicesAreThereWhileTheHostLives()
    {
        QStringList seen;
        {
            HostServices services(1031, {});
            const CFxSystemServices *reached = GetFxSystemServices();
            seen << (reached ? QString::number(reached->GetUILanguage()) : QString("none"));
        }
        seen << (GetFxSystemServices() ? QString("still there") : QString("none"));
        QCOMPARE(seen, (QStringList{"1031", "none"}));
    }

    // A user who switches to the Classic workspace finds the same menus as in Drafting.
    void everyWorkspaceHasTheMenus()
    {
        CFxUiCustomizationManager ui;
        buildDefaultUiLayout(&ui);
        QStringList shown;
        for (int i = 0; i < ui.GetWorkspaceCount(); ++i) {
            CFxUiWorkspace *workspace = ui.GetWorkspaceAt(i);
            ui.SetCurrentWorkspace(workspace);
            MainWindow window(&ui, &m_manager, &m_processor);
            ui.RefreshMenus(0);
            QStringList menus;
            for (const QAction *menu : window.menuBar()->actions())
                menus << menu->text();
            shown << workspace->GetName().toQString() + ": " + menus.join(' ');
        }
        QCOMPARE(shown, (QStringList{"Drafting: &File &Insert &View",
                                     "Classic: &File &Insert &View"}));
    }

    // An entry with entries of its own is a submenu, found by scripts by the entry's name as
    // its entries are by theirs.
    void nestedEntriesMakeANamedSubmenu()
    {
        buildDefaultUiLayout(&m_ui);
        CFxUiMenu *file = m_ui.GetCurrentWorkspace()->GetMenus()->Find(
            [](const CFxUiMenu *menu) { return menu->GetId().toQString() == "ID_MnFile"; });
        QVERIFY(file);
        CFxUiMenuEntry *recent = m_ui.CreateMenuEntry(QStringLiteral("ID_MnRecent"));
        recent->SetCaption(QStringLiteral("Recent"));
        CFxUiCommandItem *item = m_ui.CreateCommandItem(QStringLiteral("ID_CmdOpenRecent"));
        item->SetCaption(QStringLiteral("site.dwg"));
        item->SetMacro(QStringLiteral("^C^C_OPEN site.dwg"));
        item->SetElementId(QStringLiteral("ID_OpenRecent"));
        CFxUiMenuEntry *site = m_ui.CreateMenuEntry(QStringLiteral("ID_OpenRecent"));
        site->SetCommandItem(item);
        recent->GetEntries()->Append(site);
        file->GetEntries()->Append(recent);
        MainWindow window(&m_ui, &m_manager, &m_processor);
        m_ui.RefreshMenus(0);
        const auto *submenu = window.menuBar()->findChild<QMenu *>("ID_MnRecent");
        QVERIFY(submenu);
        QStringList entries;
        for (const QAction *action : submenu->actions())
            entries << action->objectName() + ' ' + action->text();
        QCOMPARE(entries, QStringList{"ID_OpenRecent site.dwg"});
    }

    // A ribbon button shows its command's large picture, else its small one, else none.
    void ribbonButtonsShowTheirCommandsPictures()
    {
        buildDefaultUiLayout(&m_ui);
        const auto picture = [this](const QString &name, int size, Qt::GlobalColor colour) {
            QImage image(size, size, QImage::Format_ARGB32);
            image.fill(colour);
            const QString path = m_dir.filePath(name);
            return image.save(path) ? path : QString();
        };
        const QString large = picture("large.png", 32, Qt::red);
        const QString small = picture("small.png", 16, Qt::blue);
        QVERIFY(!large.isEmpty() && !small.isEmpty());
        CFxUiRibbonElement *tab = m_ui.GetCurrentWorkspace()->GetRibbonTabs()->At(0);
        CFxUiRibbonElement *panel =
            m_ui.CreateRibbonElement(QStringLiteral("ID_PnPictures"), CFxUiRibbonElement::Panel);
        tab->GetChildren()->Append(panel);
        const QList<QStringList> commands{{"ID_Both", large, small},
                                          {"ID_SmallOnly", QString(), small},
                                          {"ID_None", QString(), QString()}};
        for (const QStringList &command : commands) {
            CFxUiCommandItem *item = m_ui.CreateCommandItem(command[0]);
            item->SetLargeImage(command[1], CFxString());
            item->SetSmallImage(command[2], CFxString());
            CFxUiRibbonElement *button =
                m_ui.CreateRibbonElement(command[0] + "Btn", CFxUiRibbonElement::Button);
            button->SetCaption(command[0]);
            button->SetCommandItem(item);
            panel->GetChildren()->Append(button);
        }
        MainWindow window(&m_ui, &m_manager, &m_processor);
        QStringList shown;
        for (const QStringList &command : commands) {
            const auto *button = window.findChild<QToolButton *>(command[0] + "Btn");
            QVERIFY(button);
            shown << command[0] + ' '
                    + (button->icon().isNull()
                           ? QString("none")
                           : QColor(button->icon().pixmap(32).toImage().pixel(8, 8)).name());
        }
        QCOMPARE(shown, (QStringList{"ID_Both #ff0000", "ID_SmallOnly #0000ff", "ID_None none"}));
    }

    // The host's window as a user sees it with two drawings open and the second one active:
    // menus, ribbon, tabs with their tool tips, drawing area and command line.
    void windowWithTwoDrawingsShowsAsApproved()
    {
        buildDefaultUiLayout(&m_ui);
        MainWindow window(&m_ui, &m_manager, &m_processor);
        m_ui.RefreshMenus(0);
        QVERIFY(m_manager.OpenDocument(CFxString(m_dir.filePath("a.dwg"))));
        QVERIFY(m_manager.OpenDocument(CFxString(m_dir.filePath("b.dxf"))));
        window.resize(1024, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ApprovedState approved;
        approved.replace(m_dir.path(), "<drawings>");
        const QString differences = approved.differences(&window, "two-drawings-open");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

private:
    QTemporaryDir m_dir;
    OdDbHostAppServices m_services;
    HostDocumentManager m_manager { &m_services };
    RecordingReactor m_reactor;
    // The main window's menus, empty until a test builds the host's own, and its command line.
    CFxUiCustomizationManager m_ui;
    CommandProcessor m_processor;
};

QTEST_MAIN(TestHostDocuments)
#include "tst_hostdocuments.moc"
