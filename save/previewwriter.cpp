#include "previewwriter.h"

#include "savelogging.h"

#include "workingcopy/downloadfolder.h"

#include <cfxfiledata.h>
#include <cfxpreviewbitmap.h>

#include <QBuffer>
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

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

QImage writePreview(const QString &drawingPath, const QString &folder)
{
    // A preview of an unnamed drawing left behind would go with the next check-in.
    QFile::remove(folder + QLatin1String("/NONAME_0.jpg"));
    if (!QFileInfo::exists(drawingPath))
        return QImage();
    const QImage image = CFxFileData(drawingPath).GetPreviewBitmap().GetImage();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    const QString target = previewPath(drawingPath, folder);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "JPG")
        || !QDir().mkpath(QFileInfo(target).absolutePath()) || !writeBytes(target, jpeg))
        return QImage();
    // Also where the lists' rows and tiles look for a drawing's preview. Both are plain files,
    // an older one overwritten in place: the check-in sends the one at once, a lost copy of the
    // other shows the drawing's icon until the next save, and flushing each to the disk or
    // making it anew cost a set of a hundred drawings more than drawing them.
    if (!writeBytes(drawingPreviewPath(drawingPath), jpeg))
        qCDebug(lcSave) << "the preview of" << drawingPath << "is not shown in the lists";
    return image;
}
