#include "filepreview.h"

#include "connector/filetype.h"
#include "workingcopy/downloadfolder.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmapCache>

namespace {
const char kDrawingIcon[] = ":/embedded/UI/Resources/FzxUiFzV1Drawings.png";
const char kDxfIcon[] = ":/embedded/UI/Resources/LxUiDxfPreview.png";
const char kImageIcon[] = ":/embedded/UI/Resources/LxUiImagePreview.png";
const char kPdfIcon[] = ":/embedded/UI/Resources/FzxUiPDFDocument.png";
const char *const kImageSuffixes[] = {".bmp", ".jpg", ".gif", ".png"};
} // namespace

QString previewSourceFor(const QString &localPath)
{
    const QString suffix = pathSuffixUpper(localPath);
    if (isDrawingPath(localPath)) {
        const QString written = drawingPreviewPath(localPath);
        if (QFileInfo::exists(written))
            return written;
        return QString::fromLatin1(suffix == QLatin1String("DXF") ? kDxfIcon : kDrawingIcon);
    }
    if (suffix == QLatin1String("PDF"))
        return QString::fromLatin1(kPdfIcon);
    for (const char *imageSuffix : kImageSuffixes) {
        // An image not (or no longer) on disk shows the image icon rather than nothing.
        if (localPath.endsWith(QLatin1String(imageSuffix), Qt::CaseInsensitive))
            return QFileInfo::exists(localPath) ? localPath : QString::fromLatin1(kImageIcon);
    }
    return QString();
}

QPixmap loadPreview(const QString &source, const QSize &size)
{
    if (source.isEmpty())
        return QPixmap();
    // A resource never changes, and a list shows the same drawing and PDF icons hundreds of
    // times: each is read once per size.
    const bool resource = source.startsWith(QLatin1Char(':'));
    const QString cacheKey = QStringLiteral("preview:%1:%2x%3")
                                 .arg(source).arg(size.width()).arg(size.height());
    QPixmap preview;
    if (resource && QPixmapCache::find(cacheKey, &preview))
        return preview;
    QImageReader reader(source);
    const QSize full = reader.size();
    if (full.isValid())
        reader.setScaledSize(full.scaled(size, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return QPixmap();
    if (!full.isValid())
        image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    preview = QPixmap::fromImage(image);
    if (resource)
        QPixmapCache::insert(cacheKey, preview);
    return preview;
}
