#include "savelogging.h"

Q_LOGGING_CATEGORY(lcSave, "aurex.save")
