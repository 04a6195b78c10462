#include "taskpanelogging.h"

Q_LOGGING_CATEGORY(lcTaskPane, "aurex.taskpane")
