#pragma once

#include "cfxstring.h"
#include "cfxuiribbonelement.h"
#include "hostkernelexport.h"

#include <QObject>

#include <memory>
#include <vector>

class CFxUiCommandItem;
class CFxUiElement;
class CFxUiMenu;
class CFxUiMenuEntry;
class CFxUiMenuGroup;
class CFxUiWorkspace;

// The model behind the host's menus and ribbon: the main menu group, the workspaces (one of them
// current), and every menu, entry, command item and ribbon element, all created and owned here.
// Lists only refer to elements, so an element removed from a list stays valid until the manager
// goes. Main thread only. changed() tells the host to redraw.
class HOSTKERNEL_EXPORT CFxUiCustomizationManager : public QObject
{
    Q_OBJECT

public:
    explicit CFxUiCustomizationManager(QObject *parent = nullptr);
    ~CFxUiCustomizationManager() override;

    CFxUiMenuGroup *GetMainMenuGroup() const { return m_mainGroup; }
    int GetWorkspaceCount() const { return static_cast<int>(m_workspaces.size()); }
    CFxUiWorkspace *GetWorkspaceAt(int index) const;
    CFxUiWorkspace *GetCurrentWorkspace() const;

    CFxUiCommandItem *CreateCommandItem(const CFxString &identifier);
    CFxUiMenuEntry *CreateMenuEntry(const CFxString &elementId = CFxString());
    CFxUiRibbonElement *CreateRibbonElement(const CFxString &identifier,
                                            CFxUiRibbonElement::Type type);
    // Whether the item is still one of the manager's live command items.
    bool HasCommandItem(const CFxUiCommandItem *item) const;
    // Takes the item out of the manager and out of every group's command-item collection.
    void RemoveCommandItem(CFxUiCommandItem *item);
    void RefreshMenus(int flags);

    // Building the model (the host's own layout).
    CFxUiMenuGroup *CreateMainMenuGroup(const CFxString &name);
    CFxUiWorkspace *CreateWorkspace(const CFxString &name);
    CFxUiMenu *CreateMenu(const CFxString &id, const CFxString &caption);
    void SetCurrentWorkspace(CFxUiWorkspace *workspace);

    // Called by every element when it changes.
    void notifyChanged();

signals:
    void changed();
    void menusRefreshed();

private:
    template <class T, class... Args>
    T *create(Args &&...args);

    std::vector<std::unique_ptr<CFxUiElement>> m_elements;
    std::vector<CFxUiCommandItem *> m_liveItems;
    std::vector<CFxUiWorkspace *> m_workspaces;
    CFxUiMenuGroup *m_mainGroup = nullptr;
};
