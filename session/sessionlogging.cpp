#include "sessionlogging.h"

Q_LOGGING_CATEGORY(lcSession, "aurex.session")
