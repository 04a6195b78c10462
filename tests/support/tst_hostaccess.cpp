// What the module reads of its host: the drawing in front, as the user switches between
// drawings and closes them.

#include "support/hostaccess.h"
#include "support/hostuilookup.h"
#include "support/signincaption.h"

#include "hostenvironment.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <cfxstring.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>
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
