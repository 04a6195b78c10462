#include "cfxuielement.h"

#include "cfxuicustomizationmanager.h"

CFxUiElement::CFxUiElement(CFxUiCustomizationManager *manager)
    : m_manager(manager)
{
}

CFxUiElement::~CFxUiElement() = default;

void CFxUiElement::changed()
{
    if (m_manager)
        m_manager->notifyChanged();
}
