#pragma once

#include "odrxobject.h"
#include "odsmartptr.h"

#include <cstdint>

using OdUInt32 = std::uint32_t;

// A stream of bytes a drawing is written to. putBytes throws OdError when the bytes cannot be
// taken.
class OdStreamBuf : public OdRxObject
{
public:
    virtual void putBytes(const void *buffer, OdUInt32 numBytes) = 0;
};

using OdStreamBufPtr = OdSmartPtr<OdStreamBuf>;
