#pragma once

#include "tddbexport.h"

#include <QImage>

class DxfDocument;

// The preview picture that a drawing carries in its THUMBNAILIMAGE section: a device-independent
// bitmap (or, from some writers, a PNG) in hexadecimal chunks. Usable off the GUI thread.
class TD_DB_EXPORT DxfThumbnail
{
public:
    // The decoded picture, or a null image when the drawing has none or it does not decode.
    static QImage image(const DxfDocument &doc);
    // The picture's bytes as stored, without the hexadecimal encoding.
    static QByteArray data(const DxfDocument &doc);
};
