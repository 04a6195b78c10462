#pragma once

#include <utility>

// An OdRxObject whose lifetime is its owner's (a member or a static): counting does nothing.
template <class T>
class OdStaticRxObject : public T
{
public:
    template <class... Args>
    explicit OdStaticRxObject(Args &&...args)
        : T(std::forward<Args>(args)...)
    {
    }

    void addRef() override { }
    void release() override { }
    long numRefs() const override { return 1; }
};
