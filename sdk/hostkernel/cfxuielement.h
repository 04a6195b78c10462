#pragma once

#include "hostkernelexport.h"

class CFxUiCustomizationManager;

// Base of every element of the UI customization model: it knows the manager that created and
// owns it, and tells it about every change so that the host can redraw its menus and ribbon.
class HOSTKERNEL_EXPORT CFxUiElement
{
public:
    virtual ~CFxUiElement();
    CFxUiCustomizationManager *manager() const { return m_manager; }

protected:
    explicit CFxUiElement(CFxUiCustomizationManager *manager);
    void changed();

private:
    CFxUiCustomizationManager *m_manager;
};
