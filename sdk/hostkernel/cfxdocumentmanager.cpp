#include "cfxdocumentmanager.h"

#include <algorithm>

CFxDocumentManager::~CFxDocumentManager() = default;

void CFxDocumentManager::AddReactor(CFxDocumentManagerReactor *reactor)
{
    if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void CFxDocumentManager::RemoveReactor(CFxDocumentManagerReactor *reactor)
{
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

void CFxDocumentManager::forEachReactor(
    const std::function<void(CFxDocumentManagerReactor *)> &notify) const
{
    const auto reactors = m_reactors;
    for (CFxDocumentManagerReactor *reactor : reactors) {
        if (std::find(m_reactors.begin(), m_reactors.end(), reactor) != m_reactors.end())
            notify(reactor);
    }
}
