#include "cfxuiribbonelement.h"

CFxUiRibbonElement::CFxUiRibbonElement(CFxUiCustomizationManager *manager, Type type,
                                       const CFxString &identifier)
    : CFxUiElement(manager)
    , m_type(type)
    , m_identifier(identifier)
    , m_children(manager)
{
}

void CFxUiRibbonElement::SetCaption(const CFxString &caption)
{
    m_caption = caption;
    changed();
}

void CFxUiRibbonElement::SetCommandItem(CFxUiCommandItem *item)
{
    m_commandItem = item;
    changed();
}

CFxUiRibbonElement *CFxUiRibbonElement::Find(const CFxString &identifier) const
{
    if (identifier.isEmpty())
        return nullptr;
    return m_children.Find(
        [&identifier](const CFxUiRibbonElement *e) { return e->GetIdentifier() == identifier; });
}
