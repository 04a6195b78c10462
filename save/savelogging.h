#pragma once

#include <QLoggingCategory>

// Diagnostics of the save-set collection, the details query and the check-in.
Q_DECLARE_LOGGING_CATEGORY(lcSave)
