#pragma once

#include <QLoggingCategory>

// Diagnostics of the local request bridge.
Q_DECLARE_LOGGING_CATEGORY(lcBridge)
