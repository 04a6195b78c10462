#pragma once

#include <cfxcommand.h>

class QString;

// "_AurexLogOut": signs in or out, then sets the caption of the sign-in/sign-out entry in the
// File menus and on the ribbon. A temporary instance on the stack serves the caption updates, so
// the class counts no references of its own.
class CFxAurexLogOutMenuCommand : public CFxCommand
{
public:
    CFxAurexLogOutMenuCommand();

    void addRef() override { }
    void release() override { }

    const OdString globalName() const override;
    const OdString localName() const override;

    void updateMenuCaption(const QString &caption) const;
    void updateRibbonCaption(const QString &caption) const;

protected:
    int action(OdEdCommandContext *context) override;
};
