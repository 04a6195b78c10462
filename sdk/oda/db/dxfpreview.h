#pragma once

#include "tddbexport.h"

#include <QImage>
#include <QString>

class DxfDocument;

// The preview picture of a drawing: the thumbnail it carries, or else its model space drawn on
// white. Usable off the GUI thread.
class TD_DB_EXPORT DxfPreview
{
public:
    // A drawing without thumbnail is drawn at size; one with a thumbnail gives it as stored.
    static QImage ofDocument(const DxfDocument &doc, const QSize &size);
    // Reads the drawing file first; a null image when it cannot be read (errorMessage says why).
    static QImage ofFile(const QString &path, const QSize &size, QString *errorMessage = nullptr);
};
