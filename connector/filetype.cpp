#include "filetype.h"

#include "recordconstants.h"

FileType fileTypeForPath(const QString &path)
{
    if (isDrawingPath(path))
        return drawingFileType();
    return {kTypeInsert, kCadTypeInsertedObject};
}

FileType drawingFileType()
{
    return {kTypeDrawing, kCadTypeAssembly};
}

bool isDrawingPath(const QString &path)
{
    const QString suffix = pathSuffixUpper(path);
    return suffix == QLatin1String(kSuffixDwg) || suffix == QLatin1String(kSuffixDxf);
}

const char *saveFormatForPath(const QString &path)
{
    const QString suffix = pathSuffixUpper(path);
    if (suffix == QLatin1String(kSuffixDwg))
        return kFormatDwg;
    if (suffix == QLatin1String(kSuffixPdf))
        return kFormatPdf;
    return kFormatImage;
}

QString pathFileName(const QString &path)
{
    const int separator = qMax(path.lastIndexOf(QLatin1Char('/')),
                               path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

QString pathSuffixUpper(const QString &path)
{
    const QString name = pathFileName(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper();
}

QString pathBaseName(const QString &path)
{
    const QString name = pathFileName(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}
