#pragma once

#include "dxfscene.h"

#include <QHash>
#include <QStringList>
#include <QTransform>

class DxfDocument;

// Turns the entity records of a document into a DxfScene, following INSERTs into their block
// definitions with the reference's placement. The work is bounded whatever the drawing says:
// every outline point, text and block copy spends one unit of a budget, and a block copy also
// spends one per record of its block; once the budget is spent the scene keeps what it has and
// says it is incomplete. Lives for one build.
class DxfSceneBuilder
{
public:
    static const qint64 kDefaultBudget = 2000000;

    explicit DxfSceneBuilder(const DxfDocument &doc, qint64 budget = kDefaultBudget);
    DxfScene build();

private:
    struct Context
    {
        QTransform transform;
        QColor blockColor; // what "by block" resolves to
        int depth = 0;
    };
    struct Block
    {
        int begin = -1; // the BLOCK record
        int end = -1;   // the record after its last entity
    };

    // Adds the entities of records [first, end) while the budget lasts.
    void addRange(int first, int end, const Context &context);
    // Adds one entity; returns the record after it (POLYLINE consumes its vertices).
    int addEntity(int record, const Context &context);
    void addInsert(int record, const Context &context, const QColor &color);
    void addText(int record, const Context &context, const QColor &color);
    void addShape(const QPainterPath &path, const QTransform &placement, const QColor &color);
    QPainterPath lwPolyline(int record) const;
    int polyline(int record, QPainterPath *path) const;
    QPointF point(int record, int xCode) const;
    QColor entityColor(int record, const Context &context, bool *visible) const;
    void indexBlocksAndLayers();
    // Takes units from the budget; false (and the scene incomplete) when they are not there.
    bool spend(qint64 units);

    const DxfDocument &m_doc;
    qint64 m_budget;
    DxfScene m_scene;
    QHash<QString, Block> m_blocks;       // upper-cased name -> definition
    QHash<QString, int> m_layerColors;    // upper-cased layer name -> colour number
    QStringList m_insertStack;            // blocks being expanded, against self-insertion
};
