#pragma once

#include "cfxstring.h"
#include "cfxuielement.h"
#include "cfxuielementlist.h"
#include "hostkernelexport.h"

class CFxUiCommandItem;
class CFxUiMenu;

// A menu group: named menus and the command items they use. The main menu group holds the
// host's own definitions; each workspace is a group of its own.
class HOSTKERNEL_EXPORT CFxUiMenuGroup : public CFxUiElement
{
public:
    CFxUiMenuGroup(CFxUiCustomizationManager *manager, const CFxString &name);

    CFxString GetName() const { return m_name; }
    CFxUiElementList<CFxUiMenu> *GetMenus() { return &m_menus; }
    const CFxUiElementList<CFxUiMenu> *GetMenus() const { return &m_menus; }
    CFxUiMenu *FindMenu(const CFxString &id) const;
    CFxUiElementList<CFxUiCommandItem> *GetCommandItems() { return &m_commandItems; }
    const CFxUiElementList<CFxUiCommandItem> *GetCommandItems() const { return &m_commandItems; }

private:
    CFxString m_name;
    CFxUiElementList<CFxUiMenu> m_menus;
    CFxUiElementList<CFxUiCommandItem> m_commandItems;
};
