#include "fileversion.h"

#include "recordconstants.h"
#include "recordfields.h"

FileVersion FileVersion::fromRecord(const FzFileInfo &record)
{
    FileVersion version;
    version.revision = recordProperty(record, kKeyRevision).toInt();
    version.modified = recordProperty(record, kKeyFileModified);
    version.user = recordProperty(record, kKeyModifiedBy);
    version.comment = recordProperty(record, kKeyComment);
    bool sized = false;
    const qint64 size = recordProperty(record, kKeySize).toLongLong(&sized);
    version.size = sized ? size : -1;
    version.sha256 = recordProperty(record, kKeySha256).toLatin1();
    return version;
}

bool FileVersion::operator==(const FileVersion &other) const
{
    return revision == other.revision && modified == other.modified && user == other.user
        && comment == other.comment && size == other.size && sha256 == other.sha256;
}
