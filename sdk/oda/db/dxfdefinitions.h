#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

#include <QPointF>
#include <QSize>
#include <QString>
#include <QVector>

// The raster-image and PDF-underlay definitions of one drawing, kept in the named-objects
// dictionary under "ACAD_IMAGE_DICT" and "ACAD_PDFDEFINITIONS", with the entities that show
// them. Attaching writes the definition, its dictionary entry, for images the definition's
// reactor, and the IMAGE or PDFUNDERLAY entity in model space; detaching removes them all.
// Works on a document it does not own.
class TD_DB_EXPORT DxfDefinitions
{
public:
    enum Kind { RasterImage, PdfUnderlay };
    struct Definition
    {
        Kind kind = RasterImage;
        quint64 handle = 0;
        QString name; // the dictionary entry
        QString path; // as stored in the drawing
        int useCount = 0;
    };

    explicit DxfDefinitions(DxfDocument &doc);

    static const char *dictionaryName(Kind kind);
    static const char *definitionType(Kind kind);
    static const char *entityType(Kind kind);

    // The definitions of kind in their dictionary's order.
    QVector<Definition> list(Kind kind) const;
    bool find(quint64 handle, Definition *definition) const;
    bool setPath(quint64 handle, const QString &path);

    // Attaches an image of pixels stored under path, width drawing units wide.
    bool attachImage(const QString &path, const QSize &pixels, const QPointF &insertion,
                     double width, quint64 *definition, QString *errorMessage);
    // Attaches page of the PDF stored under path at scale.
    bool attachPdf(const QString &path, const QString &page, const QPointF &insertion,
                   double scale, quint64 *definition, QString *errorMessage);
    bool detach(quint64 handle, QString *errorMessage);

private:
    bool prepare(Kind kind, QString *errorMessage, quint64 *dictionary, quint64 *modelSpace);
    QVector<int> usersOf(Kind kind, quint64 handle) const;

    DxfDocument &m_doc;
};
