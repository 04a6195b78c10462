#include "cfxuimenuentry.h"

CFxUiMenuEntry::CFxUiMenuEntry(CFxUiCustomizationManager *manager, const CFxString &elementId)
    : CFxUiElement(manager)
    , m_elementId(elementId)
    , m_entries(manager)
{
}

void CFxUiMenuEntry::SetCaption(const CFxString &caption)
{
    m_caption = caption;
    changed();
}

void CFxUiMenuEntry::SetCommandItem(CFxUiCommandItem *item)
{
    m_commandItem = item;
    changed();
}

void CFxUiMenuEntry::SetCheckState(CheckState state)
{
    m_checkState = state;
    changed();
}

void CFxUiMenuEntry::SetAcceleratorEnabled(bool enabled)
{
    m_accelerator = enabled;
    changed();
}
