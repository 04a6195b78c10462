#include "cfxcommand.h"

const OdString CFxCommand::groupName() const
{
    return OdString("LINTRA");
}

int CFxCommand::flags() const
{
    return m_flags;
}

int CFxCommand::execute(OdEdCommandContext *context)
{
    if (m_undefined)
        return 0;
    return action(context);
}

void CFxCommand::undefine(bool undefined)
{
    m_undefined = undefined;
}

CFxString CFxCommand::Help() const
{
    return CFxString();
}

int CFxCommand::GetHelpId() const
{
    return 0;
}

void CFxCommand::AddFlags(int flags)
{
    m_flags |= flags;
}
