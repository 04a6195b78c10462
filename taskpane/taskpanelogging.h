#pragma once

#include <QLoggingCategory>

// Diagnostics of the task pane: rebuilds, details answers and dropped answers.
Q_DECLARE_LOGGING_CATEGORY(lcTaskPane)
