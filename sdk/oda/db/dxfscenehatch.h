#pragma once

#include <QPainterPath>

class DxfDocument;

// The boundary of a HATCH record as one path of closed outlines (polylines with bulges, lines,
// circular and elliptic arcs, splines), filled with the odd-even rule as CAD programs fill
// islands. Reads a document it does not own; one build at a time.
class DxfSceneHatch
{
public:
    // The boundary, with at most about limit points; empty when the record has none.
    static QPainterPath boundary(const DxfDocument &doc, int record, qint64 limit);
    // Whether the hatch is filled solid rather than with a pattern.
    static bool isSolid(const DxfDocument &doc, int record);
};
