#pragma once

#include "commandregistration.h"

// The host's commands that act on what windows show, for scripts and tests: "_UICLICK name",
// "_UISET name value", "_UISELECT name row", "_UITRIGGER name", "_UICLOSE name" and
// "_UISNAPSHOT file". Widgets and actions are named as WidgetLocator finds them. A command that
// cannot act reports why and returns RTERROR.
class UiCommands
{
public:
    UiCommands();

    // The line as it may be shown: the value of a "_UISET" on an input that hides what is typed
    // (a password) is left out.
    static QString printableLine(const QString &line);

private:
    CommandRegistration m_registration;
};
