#include "previewwriter.h"

#include "savelogging.h"

#include "workingcopy/downloadfolder.h"

#include <cfxfiledata.h>
#include <cfxpreviewbitmap.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
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
    // A preview of an unnamed drawing left behind would go with the next check-in.
    QFile::remove(folder + QLatin1String("/NONAME_0.jpg"));
    if (!QFileInfo::exists(drawingPath))
        return QImage();
    const QImage image = CFxFileData(drawingPath).GetPreviewBitmap().GetImage();
    const QString target = previewPath(drawingPath, folder);
    if (image.isNull() || !QDir().mkpath(QFileInfo(target).absolutePath())
        || !image.save(target, "JPG"))
        return QImage();
    // Also where the lists' rows and tiles look for a drawing's preview.
    const QString shown = drawingPreviewPath(drawingPath);
    QFile::remove(shown);
    if (!QFile::copy(target, shown))
        qCDebug(lcSave) << "the preview of" << drawingPath << "is not shown in the lists";
    return image;
}
