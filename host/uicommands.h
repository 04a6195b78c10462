#pragma once

#include "commandregistration.h"

#include <QImage>

#include <functional>

// The host's commands that act on what windows show, for scripts and tests: "_UICLICK name",
// "_UISET name value", "_UISELECT name row", "_UITRIGGER name", "_UICLOSE name",
// "_UISNAPSHOT file" and "_UIPICTURE file" (a PNG of what the user sees now). Widgets and actions
// are named as WidgetLocator finds them. A command that cannot act reports why and returns
// RTERROR.
class UiCommands
{
public:
    // picture: what the user sees, the main window with the dialogs over it.
    explicit UiCommands(std::function<QImage()> picture);

    // The line as it may be shown: the value of a "_UISET" on an input that hides what is typed
    // (a password) is left out.
    static QString printableLine(const QString &line);

private:
    CommandRegistration m_registration;
};
