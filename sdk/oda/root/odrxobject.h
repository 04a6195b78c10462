#pragma once

#include "tdrootexport.h"

// Base of every reference-counted object of the drawing libraries. How the count is kept is the
// concrete class's business: OdRxObjectImpl deletes at zero, OdStaticRxObject never does.
class TD_ROOT_EXPORT OdRxObject
{
public:
    virtual ~OdRxObject();
    virtual void addRef() = 0;
    virtual void release() = 0;
    virtual long numRefs() const;

protected:
    OdRxObject() = default;
    OdRxObject(const OdRxObject &) = default;
    OdRxObject &operator=(const OdRxObject &) = default;
};
