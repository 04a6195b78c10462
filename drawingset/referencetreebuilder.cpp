#include "referencetreebuilder.h"

#include "drawingsetlogging.h"
#include "referencetree.h"

#include "connector/filetype.h"
#include "support/hostaccess.h"

#include <cfxdocument.h>
#include <cfxstring.h>
#include <oddbblocktablerecord.h>
#include <oddbdatabase.h>
#include <oddbdictionary.h>
#include <oddbdictionaryiterator.h>
#include <oddbhostappservices.h>
#include <oddbrasterimagedef.h>
#include <oddbunderlaydefinition.h>
#include <oddbxrefgraph.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

const char kImageDictionary[] = "ACAD_IMAGE_DICT";
const char kPdfDictionary[] = "ACAD_PDFDEFINITIONS";

QString toQ(const OdString &text)
{
    return CFxString(text).toQString();
}

DrawingAttachments attachmentsOf(OdDbDatabase *database)
{
    return {scanDefinitions(database, QLatin1String(kImageDictionary)),
            scanDefinitions(database, QLatin1String(kPdfDictionary))};
}

// Walks the reference graph below the host drawing. Each referenced drawing's attachments are
// read from its file on disk (what a save would send), once per build however often it occurs.
class GraphWalker
{
public:
    GraphWalker(ReferenceTree &tree, OdDbHostAppServices *services, bool readReferencedFiles)
        : m_tree(tree), m_services(services), m_readReferencedFiles(readReferencedFiles)
    {
    }

    void walk(OdDbXrefGraphNode *graphNode, ReferenceNode *parent)
    {
        for (int i = 0; i < graphNode->numOut(); ++i) {
            OdDbXrefGraphNode *edge = graphNode->out(i);
            // A graph node without a block record names no file.
            if (edge->btrId().isNull())
                continue;
            const OdDbBlockTableRecordPtr block =
                OdDbBlockTableRecord::cast(edge->btrId().openObject(OdDb::kForRead));
            if (!block)
                continue;
            const QString path = findReference(*block);
            ReferenceNode *node =
                m_tree.addNode(parent, toQ(block->getName()), path, ReferenceNode::Drawing);
            walk(edge, node);
            if (m_readReferencedFiles && !path.isEmpty() && QFileInfo::exists(path))
                addAttachmentNodes(m_tree, cachedAttachments(path), node);
        }
    }

private:
    QString findReference(const OdDbBlockTableRecord &block) const
    {
        if (!m_services)
            return QString();
        const QString found = toQ(m_services->findFile(block.pathName(), block.database(),
                                                       OdDbHostAppServices::kXRefDrawing));
        return found.isEmpty() ? QString() : QDir::toNativeSeparators(found);
    }

    DrawingAttachments cachedAttachments(const QString &path)
    {
        const auto known = m_onDisk.constFind(path);
        if (known != m_onDisk.constEnd())
            return known.value();
        const DrawingAttachments attachments = attachmentsOnDisk(m_services, path);
        m_onDisk.insert(path, attachments);
        return attachments;
    }

    ReferenceTree &m_tree;
    OdDbHostAppServices *m_services;
    const bool m_readReferencedFiles;
    QHash<QString, DrawingAttachments> m_onDisk;
};

} // namespace

ReferenceNode *buildActiveReferenceTree(ReferenceTree &tree, bool readReferencedFiles)
{
    CFxDocument *document = HostAccess::activeDocument();
    if (!document || !document->GetFxDatabase())
        return nullptr;
    return buildReferenceTree(tree, document->GetFxDatabase(),
                              document->GetPathName().toQString(), readReferencedFiles);
}

ReferenceNode *buildReferenceTree(ReferenceTree &tree, OdDbDatabase *database,
                                  const QString &path, bool readReferencedFiles)
{
    Q_ASSERT(!tree.root());
    if (!database || tree.root())
        return nullptr;
    const QString nativePath = QDir::toNativeSeparators(path);
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(database, graph);
    ReferenceNode *root = tree.addNode(nullptr, pathFileName(nativePath), nativePath,
                                       ReferenceNode::Drawing);
    if (OdDbXrefGraphNode *host = graph.hostDwg())
        GraphWalker(tree, database->appServices(), readReferencedFiles).walk(host, root);
    // The drawing in memory, so that images attached since the last save count; a drawing that
    // was never saved has nothing to send with it.
    if (QFileInfo::exists(nativePath))
        addAttachmentNodes(tree, attachmentsOf(database), root);
    return root;
}

DrawingAttachments attachmentsOnDisk(OdDbHostAppServices *services, const QString &path)
{
    QString error;
    const OdDbDatabasePtr database = services ? services->readDrawing(path, &error)
                                              : OdDbDatabasePtr();
    if (!database) {
        qCDebug(lcDrawingSet).noquote() << "cannot read referenced drawing" << path << error;
        return DrawingAttachments();
    }
    return attachmentsOf(database.get());
}

void addAttachmentNodes(ReferenceTree &tree, const DrawingAttachments &attachments,
                        ReferenceNode *parent)
{
    addFileNodes(tree, attachments.images, ReferenceNode::RasterImage, parent);
    addFileNodes(tree, attachments.pdfs, ReferenceNode::PdfUnderlay, parent);
}

QStringList scanDefinitions(OdDbDatabase *database, const QString &dictionaryName)
{
    QStringList paths;
    if (!database || database->getNamedObjectsDictionaryId().isNull())
        return paths;
    const OdDbDictionaryPtr named = OdDbDictionary::cast(
        database->getNamedObjectsDictionaryId().openObject(OdDb::kForRead));
    const OdDbDictionaryPtr definitions = named
        ? OdDbDictionary::cast(named->getAt(CFxString(dictionaryName).toOdString(),
                                            OdDb::kForRead))
        : OdDbDictionaryPtr();
    if (!definitions)
        return paths;
    for (OdDbDictionaryIteratorPtr it = definitions->newIterator(); !it->done(); it->next()) {
        const OdDbObjectPtr object = it->getObject(OdDb::kForRead);
        if (const OdDbRasterImageDefPtr image = OdDbRasterImageDef::cast(object)) {
            // An image that does not load is not sent.
            if (image->image(true))
                paths.append(toQ(image->activeFileName()));
        } else if (const OdDbUnderlayDefinitionPtr underlay =
                       OdDbUnderlayDefinition::cast(object)) {
            paths.append(toQ(underlay->getActiveFileName()));
        }
    }
    return paths;
}

void addFileNodes(ReferenceTree &tree, const QStringList &paths, ReferenceNode::Kind kind,
                  ReferenceNode *parent)
{
    for (const QString &path : paths)
        tree.addNode(parent, pathFileName(path), path, kind);
}
