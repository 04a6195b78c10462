#pragma once

#include "dxfscene.h"
#include "dxfsceneattachments.h"

#include <QHash>
#include <QByteArray>
#include <QStringList>
#include <QList>
#include <QTransform>

class DxfDocument;
class OdDbDatabase;

// Turns the entity records of a document into a DxfScene, following block references into
// their definitions and, with a database, external references into the drawings it loaded,
// with the reference's placement. The work is bounded whatever the drawing says: every outline
// point, text, image and block copy spends one unit of a budget, and a block copy also spends
// one per record of its block; once the budget is spent the scene keeps what it has and says it
// is incomplete. Lives for one build.
class DxfSceneBuilder
{
public:
    static constexpr qint64 kDefaultBudget = 2000000;

    explicit DxfSceneBuilder(const DxfDocument &doc, const OdDbDatabase *database = nullptr,
                             qint64 budget = kDefaultBudget);
    DxfScene build();

private:
    // What the builders of one scene share: the drawing being referenced and the ones that
    // reference it, the budget and the scene.
    struct State
    {
        qint64 budget = 0;
        DxfScene scene;
        QVector<const DxfDocument *> drawings; // being drawn, outermost first
        QStringList files;                     // their files, as found on disk
    };
    struct Context
    {
        QTransform transform;
        QColor blockColor; // what "by block" resolves to
        QByteArray blockLayer; // the layer entities on layer "0" of a block take
        int depth = 0;
    };
    struct Block
    {
        QByteArray name; // upper-cased
        int begin = -1; // the BLOCK record
        int end = -1;   // the record after its last entity
        QPointF base;
        int flags = 0;
    };

    DxfSceneBuilder(const DxfDocument &doc, const OdDbDatabase *database, State *state);

    // Adds the entities of records [first, end) while the budget lasts.
    void addRange(int first, int end, const Context &context);
    // Adds one entity; returns the record after it (POLYLINE and INSERT consume what follows).
    int addEntity(int record, const Context &context);
    bool addCurve(int record, QPainterPath *path) const;
    int addInsert(int record, const Context &context, const QColor &color,
                  const QByteArray &layer);
    // The block a reference can follow: it exists, is not being expanded already and the
    // nesting is not too deep; null otherwise.
    const Block *expandable(const QByteArray &name, const Context &context) const;
    // Draws one copy of a block; false once the budget is spent.
    bool addBlock(const Block &block, const QTransform &placement, const Context &context,
                  const QColor &color, const QByteArray &layer);
    void addReference(int block, const QTransform &placement, const Context &context);
    // Whether the drawing stored under path is one of those being drawn: a reference cycle,
    // which the database leaves unloaded.
    bool isOnChain(const QString &storedPath) const;
    void addText(int record, const Context &context, const QColor &color);
    void addParagraph(int record, const Context &context, const QColor &color);
    void addImage(int record, const Context &context, const QColor &color);
    void addUnderlay(int record, const Context &context, const QColor &color);
    // A missing file: the frame with the path it is stored under, written inside.
    void addMissing(const QPolygonF &frame, const QString &storedPath, const Context &context,
                    const QColor &color);
    void addShape(const QPainterPath &path, const QTransform &placement, const QColor &color,
                  bool filled = false);
    void addPlacedText(DxfScene::Text text, const QPointF &direction, const QTransform &placement);
    QPainterPath lwPolyline(int record) const;
    int polyline(int record, QPainterPath *path) const;
    QPointF point(int record, int xCode) const;
    // A name stored in the record under code, upper-cased, as the drawing's own bytes: names
    // are compared, never shown, so they need no decoding.
    QByteArray nameOf(int record, int code) const;
    QByteArray layerOf(int record, const Context &context) const;
    QColor entityColor(int record, const QByteArray &layer, const Context &context,
                       bool *visible) const;
    void indexTables();
    // Takes units from the budget; false (and the scene incomplete) when they are not there.
    bool spend(qint64 units);

    const DxfDocument &m_doc;
    const OdDbDatabase *m_database;
    State m_ownState;
    State *m_state;
    DxfSceneAttachments m_attachments;
    double m_textSize = 2.5;                // the drawing's default text height
    QHash<QByteArray, Block> m_blocks;         // upper-cased name -> definition
    QHash<QByteArray, quint64> m_blockRecords; // upper-cased name -> block record handle
    QHash<QByteArray, int> m_layerColors;      // upper-cased layer name -> colour number
    QList<QByteArray> m_insertStack;           // blocks being expanded, against self-insertion
};
