#include "odedcommand.h"

const OdString OdEdCommand::groupName() const
{
    return OdString("ACAD_MAIN");
}

const OdString OdEdCommand::localName() const
{
    return globalName();
}

int OdEdCommand::flags() const
{
    return kModal;
}
