#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QtTest>

class TestUiModel : public QObject
{
    Q_OBJECT

private slots:
    void entriesInsertAfterAnEntryOrAtTheFront()
    {
        CFxUiCustomizationManager manager;
        CFxUiMenu *menu = manager.CreateMenu("ID_MnFile", "File");
        CFxUiMenuEntryList *entries = menu->GetEntries();
        CFxUiMenuEntry *a = manager.CreateMenuEntry("A");
        CFxUiMenuEntry *b = manager.CreateMenuEntry("B");
        CFxUiMenuEntry *c = manager.CreateMenuEntry("C");
        CFxUiMenuEntry *stranger = manager.CreateMenuEntry("X");
        entries->InsertAfter(nullptr, b);
        entries->InsertAfter(nullptr, a);
        entries->InsertAfter(a, c);
        QCOMPARE(ids(entries), QStringList({ "A", "C", "B" }));
        CFxUiMenuEntry *d = manager.CreateMenuEntry("D");
        entries->InsertAfter(stranger, d);
        QCOMPARE(ids(entries), QStringList({ "A", "C", "B", "D" }));
        QVERIFY(entries->Remove(c));
        QVERIFY(!entries->Remove(c));
        QCOMPARE(ids(entries), QStringList({ "A", "B", "D" }));
        QCOMPARE(entries->At(3), nullptr);
        QCOMPARE(entries->At(-1), nullptr);
    }

    void removedCommandItemLeavesEveryGroupButStaysValid()
    {
        CFxUiCustomizationManager manager;
        CFxUiMenuGroup *group = manager.CreateMainMenuGroup("MAIN");
        CFxUiWorkspace *workspace = manager.CreateWorkspace("W");
        CFxUiCommandItem *item = manager.CreateCommandItem("_X");
        group->GetCommandItems()->Append(item);
        workspace->GetCommandItems()->Append(item);
        CFxUiMenuEntry *entry = manager.CreateMenuEntry();
        entry->SetCommandItem(item);

        QVERIFY(manager.HasCommandItem(item));
        manager.RemoveCommandItem(item);
        QVERIFY(!manager.HasCommandItem(item));
        QCOMPARE(group->GetCommandItems()->Count(), 0);
        QCOMPARE(workspace->GetCommandItems()->Count(), 0);
        // An entry still bound to it can read it: elements live as long as the manager.
        QCOMPARE(entry->GetCommandItem()->GetIdentifier(), CFxString("_X"));
    }

    void changesAreAnnouncedAndOneWorkspaceIsCurrent()
    {
        CFxUiCustomizationManager manager;
        CFxUiWorkspace *first = manager.CreateWorkspace("One");
        CFxUiWorkspace *second = manager.CreateWorkspace("Two");
        manager.SetCurrentWorkspace(second);
        QCOMPARE(manager.GetCurrentWorkspace(), second);
        QVERIFY(!first->IsCurrent());

        // The host redraws its menus when the model says it changed.
        CFxUiCommandItem *item = manager.CreateCommandItem("_Y");
        QSignalSpy changed(&manager, &CFxUiCustomizationManager::changed);
        item->SetLargeImage(":/x.png", "");
        QVERIFY(!changed.isEmpty());
    }

    void ribbonFindsChildrenByIdentifierOnly()
    {
        CFxUiCustomizationManager manager;
        CFxUiRibbonElement *tab = manager.CreateRibbonElement("RSM", CFxUiRibbonElement::Tab);
        CFxUiRibbonElement *anonymous = manager.CreateRibbonElement("", CFxUiRibbonElement::Panel);
        CFxUiRibbonElement *panel = manager.CreateRibbonElement("P", CFxUiRibbonElement::Panel);
        tab->GetChildren()->Append(anonymous);
        tab->GetChildren()->Append(panel);
        QCOMPARE(tab->Find("P"), panel);
        QCOMPARE(tab->Find(""), nullptr);
        QCOMPARE(tab->Find("p"), nullptr);
    }

private:
    static QStringList ids(const CFxUiMenuEntryList *entries)
    {
        QStringList result;
        for (int i = 0; i < entries->Count(); ++i)
            result << entries->At(i)->GetId().toQString();
        return result;
    }
};

QTEST_GUILESS_MAIN(TestUiModel)
#include "tst_uimodel.moc"
