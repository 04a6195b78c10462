#pragma once

#include <QLoggingCategory>

// Diagnostics of the open subsystem: search, download and reference repair.
Q_DECLARE_LOGGING_CATEGORY(lcOpen)
