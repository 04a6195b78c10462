#pragma once

#include <QLoggingCategory>

// Diagnostics of the module's commands, menus and ribbon.
Q_DECLARE_LOGGING_CATEGORY(lcModule)
