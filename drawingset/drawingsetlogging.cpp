#include "drawingsetlogging.h"

Q_LOGGING_CATEGORY(lcDrawingSet, "aurex.drawingset")
