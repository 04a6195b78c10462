#pragma once

#include <QString>

#include <vector>

// One occurrence of a file in a drawing's reference tree: the drawing itself, an external
// reference, a raster image or a PDF underlay. Owned by its ReferenceTree; a file referenced
// from two places has two nodes.
struct ReferenceNode
{
    enum Kind { Drawing = 0, RasterImage = 1, PdfUnderlay = 2 };

    // The root: the drawing's file name; a reference: its block's name; an image or PDF: the
    // file name of its path.
    QString name;
    // Full local path of a drawing (empty when the host could not find it); an image or PDF
    // keeps the path as the drawing stores it.
    QString path;
    Kind kind = Drawing;
    std::vector<ReferenceNode *> children; // in discovery order
    ReferenceNode *parent = nullptr;
};
