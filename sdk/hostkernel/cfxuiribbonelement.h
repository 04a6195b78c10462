#pragma once

#include "cfxstring.h"
#include "cfxuielement.h"
#include "cfxuielementlist.h"
#include "hostkernelexport.h"

class CFxUiCommandItem;

// An element of the ribbon: a tab holds panels, a panel holds buttons, a button is bound to a
// command item. Identifiers may be empty; Find looks among the direct children.
class HOSTKERNEL_EXPORT CFxUiRibbonElement : public CFxUiElement
{
public:
    enum Type { Tab, Panel, Button };

    CFxUiRibbonElement(CFxUiCustomizationManager *manager, Type type, const CFxString &identifier);

    Type GetType() const { return m_type; }
    CFxString GetIdentifier() const { return m_identifier; }
    CFxString GetCaption() const { return m_caption; }
    void SetCaption(const CFxString &caption);
    CFxUiCommandItem *GetCommandItem() const { return m_commandItem; }
    void SetCommandItem(CFxUiCommandItem *item);

    CFxUiElementList<CFxUiRibbonElement> *GetChildren() { return &m_children; }
    const CFxUiElementList<CFxUiRibbonElement> *GetChildren() const { return &m_children; }
    CFxUiRibbonElement *Find(const CFxString &identifier) const;

private:
    Type m_type;
    CFxString m_identifier;
    CFxString m_caption;
    CFxUiCommandItem *m_commandItem = nullptr;
    CFxUiElementList<CFxUiRibbonElement> m_children;
};
