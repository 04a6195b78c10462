#include "dxfthumbnail.h"

#include "dxfdocument.h"

#include <QtEndian>

namespace {

const int kBitmapFileHeaderSize = 14;

// Prefixes a device-independent bitmap with the file header that image readers expect.
QByteArray bitmapFile(const QByteArray &dib)
{
    if (dib.size() < 40)
        return QByteArray();
    const quint32 headerSize = qFromLittleEndian<quint32>(dib.constData());
    const quint16 bitCount = qFromLittleEndian<quint16>(dib.constData() + 14);
    quint32 colors = qFromLittleEndian<quint32>(dib.constData() + 32);
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    const quint32 pixelOffset = kBitmapFileHeaderSize + headerSize + colors * 4;
    QByteArray file(kBitmapFileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(kBitmapFileHeaderSize + dib.size()), file.data() + 2);
    qToLittleEndian<quint32>(pixelOffset, file.data() + 10);
    return file + dib;
}

} // namespace

QByteArray DxfThumbnail::data(const DxfDocument &doc)
{
    const DxfDocument::Section *section = doc.section("THUMBNAILIMAGE");
    if (!section)
        return QByteArray();
    QByteArray hex;
    const DxfFile &file = doc.file();
    for (int r = section->sectionRecord; r < section->endRecord; ++r) {
        for (int t = doc.firstTag(r); t < doc.endTag(r); ++t) {
            if (file.code(t) == 310)
                hex.append(file.trimmedValue(t));
        }
    }
    return QByteArray::fromHex(hex);
}

QImage DxfThumbnail::image(const DxfDocument &doc)
{
    const QByteArray bytes = data(doc);
    if (bytes.isEmpty())
        return QImage();
    if (bytes.startsWith("\x89PNG"))
        return QImage::fromData(bytes, "PNG");
    return QImage::fromData(bitmapFile(bytes), "BMP");
}
