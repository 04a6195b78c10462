#pragma once

#include "cfxstring.h"
#include "cfxuielement.h"
#include "hostkernelexport.h"

// A command item: what menu entries and ribbon buttons are bound to. Running it runs its macro
// on the command line. Images are Qt resource paths (optionally with a resource name).
class HOSTKERNEL_EXPORT CFxUiCommandItem : public CFxUiElement
{
public:
    CFxUiCommandItem(CFxUiCustomizationManager *manager, const CFxString &identifier);

    CFxString GetIdentifier() const { return m_identifier; }
    CFxString GetCaption() const { return m_caption; }
    void SetCaption(const CFxString &caption);
    CFxString GetMacro() const { return m_macro; }
    void SetMacro(const CFxString &macro);
    CFxString GetHelpText() const { return m_helpText; }
    void SetHelpText(const CFxString &helpText);
    CFxString GetElementId() const { return m_elementId; }
    void SetElementId(const CFxString &elementId);
    CFxString GetSmallImage() const { return m_smallImage; }
    void SetSmallImage(const CFxString &resourcePath, const CFxString &resourceName);
    CFxString GetLargeImage() const { return m_largeImage; }
    void SetLargeImage(const CFxString &resourcePath, const CFxString &resourceName);

private:
    CFxString m_identifier;
    CFxString m_caption;
    CFxString m_macro;
    CFxString m_helpText;
    CFxString m_elementId;
    CFxString m_smallImage;
    CFxString m_largeImage;
};
