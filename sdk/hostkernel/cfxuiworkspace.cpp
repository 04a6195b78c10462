#include "cfxuiworkspace.h"

CFxUiWorkspace::CFxUiWorkspace(CFxUiCustomizationManager *manager, const CFxString &name)
    : CFxUiMenuGroup(manager, name)
    , m_tabs(manager)
{
}

void CFxUiWorkspace::setCurrent(bool current)
{
    m_current = current;
    changed();
}
