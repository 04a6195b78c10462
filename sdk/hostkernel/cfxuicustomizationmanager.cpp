#include "cfxuicustomizationmanager.h"

#include "cfxuicommanditem.h"
#include "cfxuimenu.h"
#include "cfxuimenuentry.h"
#include "cfxuimenugroup.h"
#include "cfxuiworkspace.h"

#include <algorithm>

CFxUiCustomizationManager::CFxUiCustomizationManager(QObject *parent)
    : QObject(parent)
{
}

CFxUiCustomizationManager::~CFxUiCustomizationManager() = default;

template <class T, class... Args>
T *CFxUiCustomizationManager::create(Args &&...args)
{
    auto element = std::make_unique<T>(this, std::forward<Args>(args)...);
    T *raw = element.get();
    m_elements.push_back(std::move(element));
    return raw;
}

CFxUiWorkspace *CFxUiCustomizationManager::GetWorkspaceAt(int index) const
{
    if (index < 0 || index >= GetWorkspaceCount())
        return nullptr;
    return m_workspaces[static_cast<std::size_t>(index)];
}

CFxUiWorkspace *CFxUiCustomizationManager::GetCurrentWorkspace() const
{
    const auto it = std::find_if(m_workspaces.begin(), m_workspaces.end(),
                                 [](const CFxUiWorkspace *w) { return w->IsCurrent(); });
    return it == m_workspaces.end() ? nullptr : *it;
}

CFxUiCommandItem *CFxUiCustomizationManager::CreateCommandItem(const CFxString &identifier)
{
    auto *item = create<CFxUiCommandItem>(identifier);
    m_liveItems.push_back(item);
    return item;
}

CFxUiMenuEntry *CFxUiCustomizationManager::CreateMenuEntry(const CFxString &elementId)
{
    return create<CFxUiMenuEntry>(elementId);
}

CFxUiRibbonElement *CFxUiCustomizationManager::CreateRibbonElement(const CFxString &identifier,
                                                                   CFxUiRibbonElement::Type type)
{
    return create<CFxUiRibbonElement>(type, identifier);
}

bool CFxUiCustomizationManager::HasCommandItem(const CFxUiCommandItem *item) const
{
    return item && std::find(m_liveItems.begin(), m_liveItems.end(), item) != m_liveItems.end();
}

void CFxUiCustomizationManager::RemoveCommandItem(CFxUiCommandItem *item)
{
    if (!HasCommandItem(item))
        return;
    m_liveItems.erase(std::remove(m_liveItems.begin(), m_liveItems.end(), item), m_liveItems.end());
    if (m_mainGroup)
        m_mainGroup->GetCommandItems()->Remove(item);
    for (CFxUiWorkspace *workspace : m_workspaces)
        workspace->GetCommandItems()->Remove(item);
    notifyChanged();
}

void CFxUiCustomizationManager::RefreshMenus(int)
{
    emit menusRefreshed();
}

CFxUiMenuGroup *CFxUiCustomizationManager::CreateMainMenuGroup(const CFxString &name)
{
    m_mainGroup = create<CFxUiMenuGroup>(name);
    notifyChanged();
    return m_mainGroup;
}

CFxUiWorkspace *CFxUiCustomizationManager::CreateWorkspace(const CFxString &name)
{
    auto *workspace = create<CFxUiWorkspace>(name);
    m_workspaces.push_back(workspace);
    notifyChanged();
    return workspace;
}

CFxUiMenu *CFxUiCustomizationManager::CreateMenu(const CFxString &id, const CFxString &caption)
{
    return create<CFxUiMenu>(id, caption);
}

void CFxUiCustomizationManager::SetCurrentWorkspace(CFxUiWorkspace *workspace)
{
    for (CFxUiWorkspace *w : m_workspaces)
        w->setCurrent(w == workspace);
}

void CFxUiCustomizationManager::notifyChanged()
{
    emit changed();
}
