#pragma once

#include <cfxdocumentmanager.h>

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class HostDocument;
class OdDbHostAppServices;

// The host's documents and which one is current. Opening reads the drawing through the host's
// application services; opening, closing and activating tell the registered reactors in the
// order modules rely on (created, then activated). Main thread only, except FindDocument and
// GetCurrentDocument, which any thread may call; there the answer tells whether a document is
// open, and only the main thread may use the document itself (it may close meanwhile).
class HostDocumentManager : public QObject, public CFxDocumentManager
{
    Q_OBJECT

public:
    explicit HostDocumentManager(OdDbHostAppServices *services, QObject *parent = nullptr);
    ~HostDocumentManager() override;

    CFxDocument *GetCurrentDocument() const override;
    CFxDocument *OpenDocument(const CFxString &path) override;
    bool CloseDocument(CFxDocument *document) override;
    CFxDocument *FindDocument(const CFxString &path) const override;
    bool ActivateDocument(CFxDocument *document) override;
    int GetDocumentCount() const override;
    CFxDocument *GetDocumentAt(int index) const override;

    // A new, never saved drawing named DrawingN.dwg in the folder for new drawings, made from
    // the host's template.
    HostDocument *newDocument();
    HostDocument *currentDocument() const { return m_current.load(); }
    // Tells the views that a document's drawing or file changed.
    void notifyDocumentChanged(HostDocument *document) { emit documentChanged(document); }
    // Closes every document, as the host does when it quits: no other document becomes active
    // in between, so reactors hear of no activation while everything goes.
    void closeAll();

    // The folder in which drawings that were never saved are placed.
    static QString newDrawingsFolder();
    // "\" and "/" are one separator; "." and ".." are resolved.
    static QString normalizedPath(const QString &path);

signals:
    void documentAdded(HostDocument *document);
    void documentRemoved(HostDocument *document);
    void currentDocumentChanged(HostDocument *document);
    void documentChanged(HostDocument *document);
    // A drawing could not be opened; reason says why in the user's words.
    void openFailed(const QString &path, const QString &reason);

private:
    HostDocument *addDocument(std::unique_ptr<HostDocument> document);
    HostDocument *find(const QString &normalized) const;

    OdDbHostAppServices *m_services;
    mutable QMutex m_mutex; // guards m_documents against FindDocument from other threads
    std::vector<std::unique_ptr<HostDocument>> m_documents;
    std::atomic<HostDocument *> m_current { nullptr };
    bool m_closingAll = false;
    int m_untitledCounter = 0;
};
