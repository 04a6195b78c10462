#include "rowsinsight.h"

#include <QWidget>

int sightDepth(const QWidget *viewport)
{
    return 2 * viewport->height();
}
