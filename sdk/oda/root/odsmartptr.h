#pragma once

#include <utility>

enum OdRxObjMod { kOdRxObjAttach };

// Intrusive pointer to an OdRxObject: adds a reference on construction and releases it on
// destruction; kOdRxObjAttach takes over a reference that the caller already holds.
template <class T>
class OdSmartPtr
{
public:
    OdSmartPtr() = default;
    OdSmartPtr(T *object)
        : m_object(object)
    {
        if (m_object)
            m_object->addRef();
    }
    OdSmartPtr(T *object, OdRxObjMod)
        : m_object(object)
    {
    }
    OdSmartPtr(const OdSmartPtr &other)
        : OdSmartPtr(other.m_object)
    {
    }
    template <class U>
    OdSmartPtr(const OdSmartPtr<U> &other)
        : OdSmartPtr(other.get())
    {
    }
    OdSmartPtr(OdSmartPtr &&other) noexcept
        : m_object(std::exchange(other.m_object, nullptr))
    {
    }
    ~OdSmartPtr() { release(); }

    OdSmartPtr &operator=(const OdSmartPtr &other)
    {
        OdSmartPtr copy(other);
        std::swap(m_object, copy.m_object);
        return *this;
    }
    OdSmartPtr &operator=(OdSmartPtr &&other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    OdSmartPtr &operator=(T *object)
    {
        OdSmartPtr copy(object);
        std::swap(m_object, copy.m_object);
        return *this;
    }

    void attach(T *object)
    {
        release();
        m_object = object;
    }
    T *detach() { return std::exchange(m_object, nullptr); }
    void release()
    {
        if (T *object = std::exchange(m_object, nullptr))
            object->release();
    }

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }
    bool isNull() const { return m_object == nullptr; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T *m_object = nullptr;
};

template <class T, class U>
bool operator==(const OdSmartPtr<T> &a, const OdSmartPtr<U> &b)
{
    return a.get() == b.get();
}

template <class T, class U>
bool operator!=(const OdSmartPtr<T> &a, const OdSmartPtr<U> &b)
{
    return a.get() != b.get();
}
