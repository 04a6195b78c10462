#pragma once

#include <QPixmap>
#include <QString>

class QSize;

// What a listed file's preview shows, by its suffix (any case): for a drawing the preview that
// the download or the save wrote to the temporary folder as base name + ".jpg" (until one
// exists, the DWG or DXF icon), for a PDF the PDF icon, for an image file the image itself (the
// image icon while it is not on disk); "" otherwise.
QString previewSourceFor(const QString &localPath);
// The picture at source (a file or a resource) scaled to fit size, read at that size so that a
// large image costs little; a null pixmap when it cannot be read.
QPixmap loadPreview(const QString &source, const QSize &size);
