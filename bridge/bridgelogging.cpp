#include "bridgelogging.h"

Q_LOGGING_CATEGORY(lcBridge, "aurex.bridge")
