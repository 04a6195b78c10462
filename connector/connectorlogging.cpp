#include "connectorlogging.h"

Q_LOGGING_CATEGORY(lcConnectorPlatform, "aurex.connector")
