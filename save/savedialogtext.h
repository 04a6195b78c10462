#pragma once

#include <QCoreApplication>

// The save dialog's texts that are made outside the dialog class (the save set, the check-in,
// its records and the outbox): SaveDialogText::tr() translates them in the dialog's context, so
// that one catalogue entry serves the dialog and its helpers. Any thread.
class SaveDialogText
{
    Q_DECLARE_TR_FUNCTIONS(SaveToCSDialog)
};
