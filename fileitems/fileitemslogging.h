#pragma once

#include <QLoggingCategory>

// Diagnostics of the per-file widgets and their lock actions.
Q_DECLARE_LOGGING_CATEGORY(lcFileItems)
