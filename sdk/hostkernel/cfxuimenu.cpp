#include "cfxuimenu.h"

CFxUiMenu::CFxUiMenu(CFxUiCustomizationManager *manager, const CFxString &id,
                     const CFxString &caption)
    : CFxUiElement(manager)
    , m_id(id)
    , m_caption(caption)
    , m_entries(manager)
{
}
