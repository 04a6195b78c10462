#include "cfxuicommanditem.h"

namespace {

// A resource name, when given, selects an entry inside the resource path.
CFxString imageReference(const CFxString &resourcePath, const CFxString &resourceName)
{
    if (resourceName.isEmpty())
        return resourcePath;
    return CFxString(resourcePath.toQString() + QLatin1Char('#') + resourceName.toQString());
}

} // namespace

CFxUiCommandItem::CFxUiCommandItem(CFxUiCustomizationManager *manager, const CFxString &identifier)
    : CFxUiElement(manager)
    , m_identifier(identifier)
{
}

void CFxUiCommandItem::SetCaption(const CFxString &caption)
{
    m_caption = caption;
    changed();
}

void CFxUiCommandItem::SetMacro(const CFxString &macro)
{
    m_macro = macro;
    changed();
}

void CFxUiCommandItem::SetHelpText(const CFxString &helpText)
{
    m_helpText = helpText;
    changed();
}

void CFxUiCommandItem::SetElementId(const CFxString &elementId)
{
    m_elementId = elementId;
    changed();
}

void CFxUiCommandItem::SetSmallImage(const CFxString &resourcePath, const CFxString &resourceName)
{
    m_smallImage = imageReference(resourcePath, resourceName);
    changed();
}

void CFxUiCommandItem::SetLargeImage(const CFxString &resourcePath, const CFxString &resourceName)
{
    m_largeImage = imageReference(resourcePath, resourceName);
    changed();
}
