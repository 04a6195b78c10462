#pragma once

#include <QLoggingCategory>

// Diagnostics of the save-set collection, the save dialog and the check-in.
Q_DECLARE_LOGGING_CATEGORY(lcSave)
