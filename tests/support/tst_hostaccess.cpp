// What the module reads of its host: the drawing in front, as the user switches between
// drawings and closes them.

#include "support/hostaccess.h"
#include "support/hostuilookup.h"
#include "support/signincaption.h"

#include "commandlinerecorder.h"
#include "hostenvironment.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <cfxstring.h>
#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>
#include <dockingpanemanager.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>

#include <QtTest>

namespace {
// The file name of the drawing the module takes as the one in front; "none" without one.
QString inFront()
{
    const CFxDocument *document = HostAccess::activeDocument();
    return document ? QFileInfo(document->GetPathName().toQString()).fileName()
                    : QStringLiteral("none");
}
} // namespace

class TestHostAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
    }

    // The user makes two drawings, goes back to the first, closes it, then the other.
    void drawingInFrontFollowsTheUser()
    {
        HostEnvironment host;
        HostDocumentManager *documents = host.documents();
        QStringList seen{inFront()};
        CFxDocument *first = documents->newDocument();
        seen << inFront();
        CFxDocument *second = documents->newDocument();
        seen << inFront();
        documents->ActivateDocument(first);
        seen << inFront();
        documents->CloseDocument(first);
        seen << inFront();
        documents->CloseDocument(second);
        seen << inFront();
        QCOMPARE(seen, QStringList({"none", "Drawing1.dwg", "Drawing2.dwg", "Drawing1.dwg",
                                    "Drawing2.dwg", "none"}));
    }

    // Without a host (the module's code run outside it) there is no drawing and nowhere to
    // write; nothing breaks.
    void withoutAHostNothingIsInFront()
    {
        QCOMPARE(inFront(), QString("none"));
        HostAccess::writeToCommandLine("nobody reads this");
    }

    // Each of the host's services is the host's own; without a host there are none, the
    // language is the first one and a message goes nowhere.
    void servicesAreTheHostsWhileItRuns()
    {
        const auto services = [] {
            return QList<const void *>{HostAccess::documents(), HostAccess::panes(),
                                       HostAccess::ui(), HostAccess::appServices()};
        };
        {
            HostEnvironment host(1);
            const CFxDocumentManager *documents = host.documents();
            const CFxDockingPaneManager *panes = host.panes();
            QCOMPARE(services(),
                     (QList<const void *>{documents, panes, host.ui(), host.appServices()}));
            QCOMPARE(HostAccess::language(), 1);
        }
        QCOMPARE(services(), (QList<const void *>{nullptr, nullptr, nullptr, nullptr}));
        QCOMPARE(HostAccess::language(), 0);
    }

    // A web address that cannot be opened is said on the command line instead.
    void aWebAddressThatCannotOpenIsSaid()
    {
        HostEnvironment host;
        CommandLineRecorder recorder;
        QVERIFY(!HostAccess::openWebAddress(QUrl()));
        QVERIFY(!HostAccess::openWebAddress(QUrl("http://[not an address")));
        QCOMPARE(recorder.lines, (QStringList{"No web address is known for this page.",
                                              "No web browser could open "}));
    }

    // The module's panel goes on the host's collaboration tab wherever the tab stands, whatever
    // the letter case of its id; a workspace without one gets it on its last tab.
    void collaborationTabIsFoundWhereverItStands_data()
    {
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<QString>("found");
        QTest::newRow("first") << QStringList{"RSM", "HOME", "INSERT"} << "RSM";
        QTest::newRow("in the middle, small letters") << QStringList{"HOME", "rsm", "OUTPUT"}
                                                      << "rsm";
        QTest::newRow("none: the last tab") << QStringList{"HOME", "OUTPUT"} << "OUTPUT";
        QTest::newRow("no tabs at all") << QStringList{} << "none";
    }

    void collaborationTabIsFoundWhereverItStands()
    {
        QFETCH(QStringList, tabs);
        QFETCH(QString, found);
        HostEnvironment host;
        CFxUiWorkspace *workspace = host.ui()->CreateWorkspace(QStringLiteral("Tried"));
        for (const QString &id : tabs)
            workspace->GetRibbonTabs()->Append(
                host.ui()->CreateRibbonElement(id, CFxUiRibbonElement::Tab));
        const CFxUiRibbonElement *tab = HostUiLookup::collaborationTab(workspace);
        QCOMPARE(tab ? tab->GetIdentifier().toQString() : QString("none"), found);
    }

    // The workspace the host shows is found, whether it is the first or another.
    void currentWorkspaceIsFoundWhereverItStands()
    {
        HostEnvironment host;
        CFxUiCustomizationManager *ui = host.ui();
        QStringList found;
        for (int i = 0; i < ui->GetWorkspaceCount(); ++i) {
            ui->SetCurrentWorkspace(ui->GetWorkspaceAt(i));
            const CFxUiWorkspace *current = HostUiLookup::currentWorkspace(ui);
            found << (current ? current->GetName().toQString() : QString("none"));
        }
        QCOMPARE(found, (QStringList{"Drafting", "Classic"}));
    }

    // The module's popup stands fifth in both File menus, bound to the platform's item, with
    // signing in or out fourth in it and working offline fifth: both entries follow the session
    // in both menus.
    void popupEntriesFollowTheSession()
    {
        HostEnvironment host;
        CFxUiCustomizationManager *ui = host.ui();
        const QList<CFxUiMenu *> menus{HostUiLookup::fileMenuOfWorkspaces(ui),
                                       HostUiLookup::fileMenu(ui->GetMainMenuGroup())};
        QVERIFY(menus[0] && menus[1] && menus[0] != menus[1]);
        const auto item = [ui](const char *elementId) {
            CFxUiCommandItem *made = ui->CreateCommandItem(QString(elementId) + "_item");
            made->SetElementId(elementId);
            return made;
        };
        QList<CFxUiMenuEntry *> signIn;
        QList<CFxUiMenuEntry *> offline;
        for (CFxUiMenu *menu : menus) {
            CFxUiMenuEntry *popup = ui->CreateMenuEntry("ID_AUREX_POPUP");
            popup->SetCommandItem(item("ID_AUREX_PLATFORM"));
            menu->GetEntries()->InsertAfter(menu->GetEntries()->At(3), popup);
            // Bottom to top, each to the front.
            for (const char *id : {"ID_AUREX_WORKOFFLINE", "ID_AUREX_LOGINOUT", "ID_AUREX_DASHBOARD",
                                   "ID_AUREX_SAVE", "ID_AUREX_OPEN"}) {
                CFxUiMenuEntry *entry = ui->CreateMenuEntry();
                entry->SetCommandItem(item(id));
                popup->GetEntries()->InsertAfter(nullptr, entry);
            }
            signIn << popup->GetEntries()->At(3);
            offline << popup->GetEntries()->At(4);
        }
        const auto shown = [&] {
            QStringList lines;
            for (int i = 0; i < menus.size(); ++i)
                lines << signIn[i]->GetCaption().toQString()
                        + (offline[i]->GetCheckState() == CFxUiMenuEntry::Checked ? ", offline"
                                                                                  : ", online");
            return lines;
        };
        SignInCaption::updateMenu("Sign Out of AUREX Platform");
        SignInCaption::updateWorkOffline(true);
        QStringList seen = shown();
        SignInCaption::updateMenu("Sign In to AUREX Platform");
        SignInCaption::updateWorkOffline(false);
        seen += shown();
        QCOMPARE(seen, (QStringList{"Sign Out of AUREX Platform, offline",
                                    "Sign Out of AUREX Platform, offline",
                                    "Sign In to AUREX Platform, online",
                                    "Sign In to AUREX Platform, online"}));
    }

    // The sign-in button on the module's panel of the collaboration tab says what it will do.
    void signInButtonCaptionFollowsTheSession()
    {
        HostEnvironment host;
        CFxUiCustomizationManager *ui = host.ui();
        CFxUiRibbonElement *tab =
            HostUiLookup::collaborationTab(HostUiLookup::currentWorkspace(ui));
        QVERIFY(tab);
        CFxUiRibbonElement *panel = ui->CreateRibbonElement(
            QStringLiteral("_LX_AurexPlatformRibbonID"), CFxUiRibbonElement::Panel);
        CFxUiRibbonElement *button = ui->CreateRibbonElement(
            QStringLiteral("_LX_AurexLoginInOutRibbonID"), CFxUiRibbonElement::Button);
        panel->GetChildren()->Append(button);
        tab->GetChildren()->Append(panel);
        QStringList captions;
        for (const QString &caption :
             {"Sign Out of AUREX Platform", "Sign In to AUREX Platform"}) {
            SignInCaption::updateRibbon(caption);
            captions << button->GetCaption().toQString();
        }
        QCOMPARE(captions,
                 (QStringList{"Sign Out of AUREX Platform", "Sign In to AUREX Platform"}));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestHostAccess)
#include "tst_hostaccess.moc"
