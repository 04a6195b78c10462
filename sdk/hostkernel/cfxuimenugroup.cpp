#include "cfxuimenugroup.h"

#include "cfxuimenu.h"

CFxUiMenuGroup::CFxUiMenuGroup(CFxUiCustomizationManager *manager, const CFxString &name)
    : CFxUiElement(manager)
    , m_name(name)
    , m_menus(manager)
    , m_commandItems(manager)
{
}

CFxUiMenu *CFxUiMenuGroup::FindMenu(const CFxString &id) const
{
    return m_menus.Find([&id](const CFxUiMenu *menu) { return menu->GetId() == id; });
}
