#include "dxfpreview.h"

#include "dxfdocument.h"
#include "dxfrenderer.h"
#include "dxfthumbnail.h"

QImage DxfPreview::ofDocument(const DxfDocument &doc, const QSize &size)
{
    const QImage thumbnail = DxfThumbnail::image(doc);
    if (!thumbnail.isNull())
        return thumbnail;
    return DxfRenderer(doc).preview(size);
}

QImage DxfPreview::ofFile(const QString &path, const QSize &size, QString *errorMessage)
{
    DxfDocument doc;
    if (!doc.read(path, errorMessage))
        return QImage();
    return ofDocument(doc, size);
}
