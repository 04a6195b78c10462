#pragma once

#include <QLoggingCategory>

// Diagnostics of the session subsystem; never carries a credential.
Q_DECLARE_LOGGING_CATEGORY(lcSession)
