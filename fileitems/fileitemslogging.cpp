#include "fileitemslogging.h"

Q_LOGGING_CATEGORY(lcFileItems, "aurex.fileitems")
