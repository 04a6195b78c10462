#pragma once

#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QString>

class OdDbDatabase;

// The files a drawing's images and PDF underlays show, found the way the drawing's references
// are found (its folder, then the support folders) and read once per build. Without a database
// nothing is looked for. Lives for one scene build, on that build's thread.
class DxfSceneAttachments
{
public:
    explicit DxfSceneAttachments(const OdDbDatabase *database);

    // The picture of the image definition with handle, stored under storedPath; null when it
    // cannot be found or read. Very large pictures are read scaled down.
    QImage image(quint64 definition, const QString &storedPath);
    // The size in points of a PDF's pages: the first page box the file states, or A4 when the
    // file cannot be found or states none.
    QSizeF pdfPageSize(const QString &storedPath);

private:
    QString find(const QString &storedPath, int hint) const;

    const OdDbDatabase *m_database;
    QHash<quint64, QImage> m_images;
    QHash<QString, QSizeF> m_pageSizes;
};
