#pragma once

#include "tddbexport.h"
#include "xreffilesearch.h"

#include <QString>
#include <QVector>

#include <memory>

class DxfDocument;

// The external references of a drawing and, through the drawings they load, of those drawings
// in turn: a tree with the host drawing at its root and one node per reference occurrence. A
// reference back to a drawing on its own path up to the root is marked circular and not
// followed, so a cycle ends there. Each drawing file is read once per build and shared by its
// nodes. Built and used on one thread.
class TD_DB_EXPORT DxfXrefGraph
{
public:
    enum Status { Host, Resolved, FileNotFound, Unreadable, Circular };
    struct Node
    {
        QString name;       // block name in the referencing drawing; the host: its file name
        QString storedPath; // the path as the referencing drawing stores it
        QString filePath;   // the file found for it; empty when none was found
        quint64 blockRecord = 0; // the reference's block record in the referencing drawing
        int parent = -1;
        QVector<int> children;
        Status status = Host;
        QString reason;     // why an Unreadable drawing could not be read
        std::shared_ptr<DxfDocument> document; // the loaded drawing, when there is one
    };

    // Builds the graph of host, read from hostPath. References that nothing inserts (ghosts)
    // are left out unless includeGhosts.
    void build(const std::shared_ptr<DxfDocument> &host, const QString &hostPath,
               const XrefFileSearch &search, bool includeGhosts = false);

    const QVector<Node> &nodes() const { return m_nodes; }
    const Node &node(int index) const { return m_nodes.at(index); }
    bool isEmpty() const { return m_nodes.isEmpty(); }
    bool hasCycle() const;

private:
    void expand(int index, const XrefFileSearch &search, bool includeGhosts,
                QVector<QString> *ancestors);
    std::shared_ptr<DxfDocument> load(const QString &path, QString *reason);

    QVector<Node> m_nodes;
    QVector<QPair<QString, std::shared_ptr<DxfDocument>>> m_loaded;
};
