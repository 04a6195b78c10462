#pragma once

#include "cfxstring.h"
#include "cfxuielement.h"
#include "cfxuimenuentry.h"
#include "hostkernelexport.h"

// A menu of the menu bar ("ID_MnFile" is the File menu).
class HOSTKERNEL_EXPORT CFxUiMenu : public CFxUiElement
{
public:
    CFxUiMenu(CFxUiCustomizationManager *manager, const CFxString &id, const CFxString &caption);

    CFxString GetId() const { return m_id; }
    CFxString GetCaption() const { return m_caption; }
    CFxUiMenuEntryList *GetEntries() { return &m_entries; }
    const CFxUiMenuEntryList *GetEntries() const { return &m_entries; }

private:
    CFxString m_id;
    CFxString m_caption;
    CFxUiMenuEntryList m_entries;
};
