#pragma once

#include "cfxuimenugroup.h"
#include "hostkernelexport.h"

class CFxUiRibbonElement;

// A workspace: the menus, command items and ribbon tabs the user works with. One workspace is
// current; the host shows its menus and ribbon.
class HOSTKERNEL_EXPORT CFxUiWorkspace : public CFxUiMenuGroup
{
public:
    CFxUiWorkspace(CFxUiCustomizationManager *manager, const CFxString &name);

    bool IsCurrent() const { return m_current; }
    CFxUiElementList<CFxUiRibbonElement> *GetRibbonTabs() { return &m_tabs; }
    const CFxUiElementList<CFxUiRibbonElement> *GetRibbonTabs() const { return &m_tabs; }

private:
    friend class CFxUiCustomizationManager;
    void setCurrent(bool current);

    bool m_current = false;
    CFxUiElementList<CFxUiRibbonElement> m_tabs;
};
