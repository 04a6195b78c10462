#include "odedcommandcontext.h"

OdEdCommandContext::~OdEdCommandContext() = default;

OdRxObject *OdEdCommandContext::baseDatabase()
{
    return nullptr;
}

OdString OdEdCommandContext::nextArgument()
{
    return OdString();
}

OdString OdEdCommandContext::getString(const OdString &, const OdString &defaultValue)
{
    return defaultValue;
}

OdString OdEdCommandContext::getFilePath(const OdString &prompt, const OdString &, bool)
{
    return getString(prompt);
}

void OdEdCommandContext::putString(const OdString &)
{
}
