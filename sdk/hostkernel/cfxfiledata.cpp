#include "cfxfiledata.h"

#include <dxfpreview.h>

namespace {
// The size a preview is drawn at when the drawing carries no thumbnail of its own.
const QSize kPreviewSize(256, 192);
}

CFxFileData::CFxFileData(const CFxString &path)
    : m_path(path)
{
}

CFxPreviewBitmap CFxFileData::GetPreviewBitmap() const
{
    QString path = m_path.toQString();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return CFxPreviewBitmap(DxfPreview::ofFile(path, kPreviewSize));
}
