#include "previewwriter.h"

#include "workingcopy/downloadfolder.h"

#include <cfxfiledata.h>
#include <cfxpreviewbitmap.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

QString previewPath(const QString &drawingPath, const QString &folder)
{
    const QByteArray key =
        QCryptographicHash::hash(drawingPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    // One folder for all: a folder of its own per drawing cost a first save of a hundred
    // drawings a hundred folders made on the disk.
    return folder + QLatin1Char('/') + QString::fromLatin1(key) + QLatin1Char('-')
        + previewTitle(drawingPath);
}

QString previewTitle(const QString &drawingPath)
{
    return QFileInfo(drawingPath).baseName() + QStringLiteral(".jpg");
}

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

QByteArray writePreview(const QString &drawingPath, const QString &folder)
{
    // A preview of an unnamed drawing left behind would go with the next check-in.
    QFile::remove(folder + QLatin1String("/NONAME_0.jpg"));
    if (!QFileInfo::exists(drawingPath))
        return QByteArray();
    const QImage image = CFxFileData(drawingPath).GetPreviewBitmap().GetImage();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    // A plain file, an older one overwritten in place: the check-in sends it at once, and
    // flushing each to the disk cost a set of a hundred drawings more than drawing them.
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "JPG")
        || !QDir().mkpath(folder) || !writeBytes(previewPath(drawingPath, folder), jpeg))
        return QByteArray();
    return jpeg;
}

bool writeListedPreview(const QString &drawingPath, const QByteArray &jpeg)
{
    // Plain too: a lost copy shows the drawing's icon until the next save.
    return writeBytes(drawingPreviewPath(drawingPath), jpeg);
}
