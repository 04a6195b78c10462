#pragma once

#include <QLoggingCategory>

// Diagnostics of the module's side of the connector: how the platform's calls went.
Q_DECLARE_LOGGING_CATEGORY(lcConnectorPlatform)
