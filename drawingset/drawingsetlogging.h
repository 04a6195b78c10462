#pragma once

#include <QLoggingCategory>

// Diagnostics of the reference-tree collection and the details query.
Q_DECLARE_LOGGING_CATEGORY(lcDrawingSet)
