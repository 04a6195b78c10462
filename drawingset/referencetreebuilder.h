#pragma once

#include "referencenode.h"

#include <QStringList>

class OdDbDatabase;
class OdDbHostAppServices;
class ReferenceTree;

// The raster images and PDF underlays of one drawing, as scanDefinitions lists them.
struct DrawingAttachments
{
    QStringList images;
    QStringList pdfs;
};

// Collecting a drawing's save set: the drawing, its external references (nested ones below the
// drawing that references them) and the raster images and PDF underlays of each drawing. Main
// thread (the drawing databases and the host's documents live there).

// Builds the tree of the host's current document into tree (which must be empty); returns its
// root, or null when there is no current document or it has no drawing database. Without
// readReferencedFiles the referenced drawings are not read from disk: their images and PDFs are
// left for the caller (attachmentsOnDisk, addAttachmentNodes), which may read them on another
// thread.
ReferenceNode *buildActiveReferenceTree(ReferenceTree &tree, bool readReferencedFiles = true);
// The same for a drawing database whose file is path.
ReferenceNode *buildReferenceTree(ReferenceTree &tree, OdDbDatabase *database,
                                  const QString &path, bool readReferencedFiles = true);

// The images and PDFs of the drawing file at path, read from disk through services; none when
// it cannot be read. Any thread: the database it reads belongs to the calling thread.
DrawingAttachments attachmentsOnDisk(OdDbHostAppServices *services, const QString &path);
// One image node per image, then one PDF node per PDF, under parent.
void addAttachmentNodes(ReferenceTree &tree, const DrawingAttachments &attachments,
                        ReferenceNode *parent);

// The files of one definitions dictionary of the named-objects dictionary ("ACAD_IMAGE_DICT",
// "ACAD_PDFDEFINITIONS"), in the dictionary's order: raster images whose image loads, and every
// underlay. Each is the full path where the file was found, else the path as the drawing
// stores it.
QStringList scanDefinitions(OdDbDatabase *database, const QString &dictionaryName);

// One node of kind under parent per path, named after the path's file name.
void addFileNodes(ReferenceTree &tree, const QStringList &paths, ReferenceNode::Kind kind,
                  ReferenceNode *parent);
