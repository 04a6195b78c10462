#include "workingcopylogging.h"

Q_LOGGING_CATEGORY(lcWorkingCopy, "aurex.workingcopy")
