#pragma once

#include "hostkernelexport.h"

#include <QImage>

// The preview picture of a drawing file, as the host shows it in its file dialogs.
class HOSTKERNEL_EXPORT CFxPreviewBitmap
{
public:
    CFxPreviewBitmap() = default;
    explicit CFxPreviewBitmap(const QImage &image);

    bool IsNull() const { return m_image.isNull(); }
    QImage GetImage() const { return m_image; }

private:
    QImage m_image;
};
