#include "openlogging.h"

Q_LOGGING_CATEGORY(lcOpen, "aurex.open")
