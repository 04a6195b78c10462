#pragma once

#include <QString>

// The platform type of a local file, decided by its suffix: DWG and DXF files are drawings,
// every other file is an insert. Paths may use "/" or "\" as separator.
struct FileType
{
    const char *type;
    const char *cadType;
};

FileType fileTypeForPath(const QString &path);
FileType drawingFileType();
bool isDrawingPath(const QString &path);

// The "_Format" of a file saved below a drawing: "dwg" for DWG, "pdf" for PDF, "Image" for
// everything else (a DXF reference included).
const char *saveFormatForPath(const QString &path);

// The last component of a path with "/" or "\" separators.
QString pathFileName(const QString &path);
// The text after the file name's last dot, upper-cased; "" when it has none.
QString pathSuffixUpper(const QString &path);
// The file name without its suffix (up to its last dot).
QString pathBaseName(const QString &path);
