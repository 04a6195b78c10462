#pragma once

#include "odsmartptr.h"

#include <atomic>
#include <utility>

// Heap implementation of the reference count: the object deletes itself when the last reference
// goes. Create instances with createObject(), which hands back the first reference.
template <class T, class Interface = T>
class OdRxObjectImpl : public T
{
public:
    template <class... Args>
    explicit OdRxObjectImpl(Args &&...args)
        : T(std::forward<Args>(args)...)
    {
    }

    template <class... Args>
    static OdSmartPtr<Interface> createObject(Args &&...args)
    {
        auto *object = new OdRxObjectImpl<T, Interface>(std::forward<Args>(args)...);
        object->m_refs = 1;
        return OdSmartPtr<Interface>(object, kOdRxObjAttach);
    }

    void addRef() override { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void release() override
    {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    long numRefs() const override { return m_refs.load(std::memory_order_relaxed); }

private:
    std::atomic<long> m_refs { 0 };
};
