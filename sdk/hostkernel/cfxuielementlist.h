#pragma once

#include "cfxuielement.h"

#include <algorithm>
#include <functional>
#include <vector>

// An ordered list of model elements that the list does not own (the manager owns them all).
template <class T>
class CFxUiElementList : public CFxUiElement
{
public:
    explicit CFxUiElementList(CFxUiCustomizationManager *manager)
        : CFxUiElement(manager)
    {
    }

    int Count() const { return static_cast<int>(m_items.size()); }
    T *At(int index) const
    {
        return index >= 0 && index < Count() ? m_items[static_cast<std::size_t>(index)] : nullptr;
    }
    int IndexOf(const T *item) const
    {
        const auto it = std::find(m_items.begin(), m_items.end(), item);
        return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
    }
    T *Find(const std::function<bool(const T *)> &match) const
    {
        const auto it = std::find_if(m_items.begin(), m_items.end(), match);
        return it == m_items.end() ? nullptr : *it;
    }
    void Append(T *item)
    {
        if (!item)
            return;
        m_items.push_back(item);
        changed();
    }
    // Inserts item directly after `after`; a null `after` inserts at the front. An `after` that
    // is not in the list appends.
    void InsertAfter(const T *after, T *item)
    {
        if (!item)
            return;
        if (!after) {
            m_items.insert(m_items.begin(), item);
        } else {
            const int index = IndexOf(after);
            if (index < 0)
                m_items.push_back(item);
            else
                m_items.insert(m_items.begin() + index + 1, item);
        }
        changed();
    }
    bool Remove(const T *item)
    {
        const int index = IndexOf(item);
        if (index < 0)
            return false;
        m_items.erase(m_items.begin() + index);
        changed();
        return true;
    }

private:
    std::vector<T *> m_items;
};
