#pragma once

#include "dxfscene.h"

#include <QHash>
#include <QStringList>
#include <QTransform>

class DxfDocument;

// Turns the entity records of a document into a DxfScene, following INSERTs into their block
// definitions with the reference's placement. Lives for one build.
class DxfSceneBuilder
{
public:
    explicit DxfSceneBuilder(const DxfDocument &doc);
    DxfScene build();

private:
    struct Context
    {
        QTransform transform;
        QColor blockColor; // what "by block" resolves to
        int depth = 0;
    };

    // Adds the entities of records [first, end); returns nothing, skips what it cannot draw.
    void addRange(int first, int end, const Context &context);
    // Adds one entity; returns the record after it (POLYLINE consumes its vertices).
    int addEntity(int record, const Context &context);
    void addInsert(int record, const Context &context, const QColor &color);
    void addText(int record, const Context &context, const QColor &color);
    QPainterPath lwPolyline(int record) const;
    int polyline(int record, QPainterPath *path) const;
    QColor entityColor(int record, const Context &context, bool *visible) const;
    void indexBlocksAndLayers();

    const DxfDocument &m_doc;
    DxfScene m_scene;
    QHash<QString, int> m_blocks;         // upper-cased name -> BLOCK record
    QHash<QString, int> m_layerColors;    // upper-cased layer name -> colour number
    QStringList m_insertStack;            // blocks being expanded, against self-insertion
};
