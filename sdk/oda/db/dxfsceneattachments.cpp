#include "dxfsceneattachments.h"

#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"

#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

namespace {

// Pictures larger than this on a side are read scaled down: the view never needs more.
const int kLargestImageSide = 4096;
// How much of a PDF is searched for its page box.
const qint64 kPdfHeadBytes = 1024 * 1024;
const QSizeF kA4Points(595.0, 842.0);

} // namespace

DxfSceneAttachments::DxfSceneAttachments(const OdDbDatabase *database)
    : m_database(database)
{
}

QString DxfSceneAttachments::find(const QString &storedPath, int hint) const
{
    if (!m_database || !m_database->appServices() || storedPath.isEmpty())
        return QString();
    // The search only reads the database's file name.
    auto *database = const_cast<OdDbDatabase *>(m_database);
    return toQString(m_database->appServices()->findFile(
        toOdString(storedPath), database, OdDbHostAppServices::FindFileHint(hint)));
}

QImage DxfSceneAttachments::image(quint64 definition, const QString &storedPath)
{
    const auto known = m_images.constFind(definition);
    if (known != m_images.constEnd())
        return known.value();
    QImage picture;
    if (m_database && m_database->isAttachmentLoaded(definition))
        picture = m_database->loadedImage(definition);
    if (picture.isNull()) {
        const QString file = find(storedPath, OdDbHostAppServices::kEmbeddedImageFile);
        if (!file.isEmpty()) {
            QImageReader reader(file);
            const QSize size = reader.size();
            if (size.width() > kLargestImageSide || size.height() > kLargestImageSide)
                reader.setScaledSize(size.scaled(kLargestImageSide, kLargestImageSide,
                                                 Qt::KeepAspectRatio));
            picture = reader.read();
        }
    }
    m_images.insert(definition, picture);
    return picture;
}

QSizeF DxfSceneAttachments::pdfPageSize(const QString &storedPath)
{
    const auto known = m_pageSizes.constFind(storedPath);
    if (known != m_pageSizes.constEnd())
        return known.value();
    QSizeF size = kA4Points;
    QFile file(find(storedPath, OdDbHostAppServices::kUnderlayFile));
    if (!file.fileName().isEmpty() && file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression box(QStringLiteral(
            "/MediaBox\\s*\\[\\s*([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s*\\]"));
        const QRegularExpressionMatch match =
            box.match(QString::fromLatin1(file.read(kPdfHeadBytes)));
        if (match.hasMatch()) {
            const QSizeF stated(match.captured(3).toDouble() - match.captured(1).toDouble(),
                                match.captured(4).toDouble() - match.captured(2).toDouble());
            if (stated.width() > 0.0 && stated.height() > 0.0)
                size = stated;
        }
    }
    m_pageSizes.insert(storedPath, size);
    return size;
}
