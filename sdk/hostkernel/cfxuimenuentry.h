#pragma once

#include "cfxstring.h"
#include "cfxuielement.h"
#include "cfxuielementlist.h"
#include "hostkernelexport.h"

class CFxUiCommandItem;

// One entry of a menu, bound to a command item. An entry with entries of its own is a popup.
// Without a caption of its own it shows its command item's caption.
class HOSTKERNEL_EXPORT CFxUiMenuEntry : public CFxUiElement
{
public:
    CFxUiMenuEntry(CFxUiCustomizationManager *manager, const CFxString &elementId);

    CFxString GetId() const { return m_elementId; }
    CFxString GetCaption() const { return m_caption; }
    void SetCaption(const CFxString &caption);
    CFxUiCommandItem *GetCommandItem() const { return m_commandItem; }
    void SetCommandItem(CFxUiCommandItem *item);
    // The host gives the entry the application's save accelerator key.
    bool IsAcceleratorEnabled() const { return m_accelerator; }
    void SetAcceleratorEnabled(bool enabled);
    // An entry that is switched on and off shows a check mark while it is on.
    enum CheckState { NotCheckable, Unchecked, Checked };
    CheckState GetCheckState() const { return m_checkState; }
    void SetCheckState(CheckState state);

    CFxUiElementList<CFxUiMenuEntry> *GetEntries() { return &m_entries; }
    const CFxUiElementList<CFxUiMenuEntry> *GetEntries() const { return &m_entries; }

private:
    CFxString m_elementId;
    CFxString m_caption;
    CFxUiCommandItem *m_commandItem = nullptr;
    bool m_accelerator = false;
    CheckState m_checkState = NotCheckable;
    CFxUiElementList<CFxUiMenuEntry> m_entries;
};

using CFxUiMenuEntryList = CFxUiElementList<CFxUiMenuEntry>;
