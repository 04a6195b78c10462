#include "previewwriter.h"

#include <cfxfiledata.h>
#include <cfxpreviewbitmap.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

QString previewPath(const QString &drawingPath, const QString &folder)
{
    const QByteArray key =
        QCryptographicHash::hash(drawingPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return folder + QLatin1Char('/') + QString::fromLatin1(key) + QLatin1Char('/')
        + QFileInfo(drawingPath).baseName() + QStringLiteral(".jpg");
}

QImage writePreview(const QString &drawingPath, const QString &folder)
{
    if (!QFileInfo::exists(drawingPath))
        return QImage();
    const QImage image = CFxFileData(drawingPath).GetPreviewBitmap().GetImage();
    const QString target = previewPath(drawingPath, folder);
    if (image.isNull() || !QDir().mkpath(QFileInfo(target).absolutePath())
        || !image.save(target, "JPG"))
        return QImage();
    return image;
}
