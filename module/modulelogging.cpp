#include "modulelogging.h"

Q_LOGGING_CATEGORY(lcModule, "aurex.module")
