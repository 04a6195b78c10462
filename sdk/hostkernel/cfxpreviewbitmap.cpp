#include "cfxpreviewbitmap.h"

CFxPreviewBitmap::CFxPreviewBitmap(const QImage &image)
    : m_image(image)
{
}
