#pragma once

#include <cfxdocument.h>

#include <QString>

// A drawing open in the host: its file and, once read, its drawing database. Owned by the
// HostDocumentManager; lives on the main thread.
class HostDocument : public CFxDocument
{
public:
    // untitled: a new drawing that has a path to be saved under but no file yet.
    HostDocument(const QString &path, bool untitled);
    ~HostDocument() override;

    OdDbDatabase *GetFxDatabase() const override;
    CFxString GetPathName() const override;
    bool Save() override;

    QString path() const { return m_path; }
    QString title() const;
    bool isUntitled() const { return m_untitled; }

private:
    QString m_path;
    bool m_untitled;
};
