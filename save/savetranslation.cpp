#include "savetranslation.h"

#include <QCoreApplication>

QString saveDialogText(const char *text)
{
    return QCoreApplication::translate("SaveToCSDialog", text);
}
