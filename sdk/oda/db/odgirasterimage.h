#pragma once

#include "odrxobject.h"
#include "odsmartptr.h"
#include "tddbexport.h"

#include <QImage>

// A decoded raster image, as a raster image definition hands it out.
class TD_DB_EXPORT OdGiRasterImage : public OdRxObject
{
public:
    int pixelWidth() const { return m_image.width(); }
    int pixelHeight() const { return m_image.height(); }
    QImage image() const { return m_image; }

protected:
    explicit OdGiRasterImage(const QImage &image)
        : m_image(image)
    {
    }

private:
    QImage m_image;
};

using OdGiRasterImagePtr = OdSmartPtr<OdGiRasterImage>;
