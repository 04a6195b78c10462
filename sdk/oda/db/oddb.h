#pragma once

#include "odstring.h"

// Enumerations and small types of the drawing database interface.
namespace OdDb {

enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };

// The form asked of writeFile. This layer writes a drawing in the form it was read in.
enum SaveType { kDwg = 0, kDxf = 1, kDxb = 2 };

// Drawing releases by number; writeFile keeps the drawing's own release.
enum DwgVersion {
    vAC09 = 16,
    vAC10 = 17,
    vAC12 = 18,
    vAC13 = 19,
    vAC14 = 20,
    vAC15 = 21,
    vAC18 = 23,
    vAC21 = 25,
    vAC24 = 27,
    vAC27 = 29,
    vAC32 = 31,
    kDHL_CURRENT = vAC32
};

enum XrefStatus {
    kXrfNotAnXref = 0,
    kXrfResolved,
    kXrfUnloaded,
    kXrfUnreferenced,
    kXrfFileNotFound,
    kXrfUnresolved
};

} // namespace OdDb

namespace Oda {

// How a file read may be shared with other programs; this layer reads the whole file at once
// and shares it without restriction whatever is asked.
enum FileShareMode {
    kShareDenyReadWrite = 0x10,
    kShareDenyWrite = 0x20,
    kShareDenyRead = 0x30,
    kShareDenyNo = 0x40
};

} // namespace Oda

using OdPassword = OdString;
