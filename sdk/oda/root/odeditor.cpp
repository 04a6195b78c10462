#include "odeditor.h"

#include "odedcommandstack.h"
#include "odrxeventreactor.h"

#include <algorithm>

OdEditor::OdEditor()
{
    odedRegCmds()->addReactor(this);
}

OdEditor::~OdEditor()
{
    odedRegCmds()->removeReactor(this);
}

void OdEditor::addReactor(OdRxEventReactor *reactor)
{
    if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void OdEditor::removeReactor(OdRxEventReactor *reactor)
{
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

std::vector<OdRxEventReactor *> OdEditor::reactors() const
{
    return m_reactors;
}

void OdEditor::forEachReactor(const std::function<void(OdRxEventReactor *)> &notify) const
{
    const auto reactors = m_reactors;
    for (OdRxEventReactor *reactor : reactors) {
        // Skip reactors removed by an earlier reactor of this round.
        if (std::find(m_reactors.begin(), m_reactors.end(), reactor) != m_reactors.end())
            notify(reactor);
    }
}

void OdEditor::forEachCommandReactor(
    const std::function<void(OdEdCommandStackReactor *)> &notify) const
{
    forEachReactor([&notify](OdRxEventReactor *reactor) {
        if (auto *commandReactor = dynamic_cast<OdEdCommandStackReactor *>(reactor))
            notify(commandReactor);
    });
}

void OdEditor::fire_dwgFileOpened(OdDbDatabase *database, const OdString &fileName) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->dwgFileOpened(database, fileName); });
}

void OdEditor::fire_databaseConstructed(OdDbDatabase *database) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->databaseConstructed(database); });
}

void OdEditor::fire_databaseToBeDestroyed(OdDbDatabase *database) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->databaseToBeDestroyed(database); });
}

void OdEditor::fire_beginSave(OdDbDatabase *database, const OdString &intendedName) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->beginSave(database, intendedName); });
}

void OdEditor::fire_saveComplete(OdDbDatabase *database, const OdString &actualName) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->saveComplete(database, actualName); });
}

void OdEditor::fire_abortSave(OdDbDatabase *database) const
{
    forEachReactor([&](OdRxEventReactor *r) { r->abortSave(database); });
}

void OdEditor::commandWillStart(OdEdCommand *command, OdEdCommandContext *context)
{
    forEachCommandReactor([&](OdEdCommandStackReactor *r) { r->commandWillStart(command, context); });
}

void OdEditor::commandEnded(OdEdCommand *command, OdEdCommandContext *context)
{
    forEachCommandReactor([&](OdEdCommandStackReactor *r) { r->commandEnded(command, context); });
}

void OdEditor::commandCancelled(OdEdCommand *command, OdEdCommandContext *context)
{
    forEachCommandReactor([&](OdEdCommandStackReactor *r) { r->commandCancelled(command, context); });
}

void OdEditor::commandFailed(OdEdCommand *command, OdEdCommandContext *context)
{
    forEachCommandReactor([&](OdEdCommandStackReactor *r) { r->commandFailed(command, context); });
}

OdEditor *odedEditor()
{
    static OdEditor editor;
    return &editor;
}
