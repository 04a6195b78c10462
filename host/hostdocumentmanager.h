#pragma once

#include <cfxdocumentmanager.h>

#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class HostDocument;

// The host's documents and which one is current. Opening, closing and activating tell the
// registered reactors in the order modules rely on (created, then activated). Main thread only,
// except FindDocument, which any thread may call.
class HostDocumentManager : public QObject, public CFxDocumentManager
{
    Q_OBJECT

public:
    explicit HostDocumentManager(QObject *parent = nullptr);
    ~HostDocumentManager() override;

    CFxDocument *GetCurrentDocument() const override;
    CFxDocument *OpenDocument(const CFxString &path) override;
    bool CloseDocument(CFxDocument *document) override;
    CFxDocument *FindDocument(const CFxString &path) const override;
    bool ActivateDocument(CFxDocument *document) override;
    int GetDocumentCount() const override;
    CFxDocument *GetDocumentAt(int index) const override;

    // A new, never saved drawing named DrawingN.dwg in the folder for new drawings.
    HostDocument *newDocument();
    HostDocument *currentDocument() const { return m_current; }
    void closeAll();

    // The folder in which drawings that were never saved are placed.
    static QString newDrawingsFolder();
    // "\" and "/" are one separator; "." and ".." are resolved.
    static QString normalizedPath(const QString &path);

signals:
    void documentAdded(HostDocument *document);
    void documentRemoved(HostDocument *document);
    void currentDocumentChanged(HostDocument *document);

private:
    HostDocument *addDocument(std::unique_ptr<HostDocument> document);
    HostDocument *find(const QString &normalized) const;

    mutable QMutex m_mutex; // guards m_documents against FindDocument from other threads
    std::vector<std::unique_ptr<HostDocument>> m_documents;
    HostDocument *m_current = nullptr;
    int m_untitledCounter = 0;
};
