#pragma once

#include <cfxdocument.h>
#include <oddbdatabase.h>

#include <QMutex>
#include <QString>

#include <functional>

// A drawing open in the host: its file and its drawing database. Owned by the
// HostDocumentManager; lives on the main thread, except that its path may be read from any
// thread (the manager's look-ups by path run on download workers).
class HostDocument : public CFxDocument
{
public:
    // untitled: a new drawing that has a path to be saved under but no file yet.
    HostDocument(const QString &path, const OdDbDatabasePtr &database, bool untitled);
    ~HostDocument() override;

    OdDbDatabase *GetFxDatabase() const override;
    CFxString GetPathName() const override;
    bool Save() override;
    void SetTitle(const CFxString &title) override;

    // Writes the drawing to path and makes that its file, telling the editor's reactors
    // (beginSave, then saveComplete with the actual name, or abortSave). False with a message
    // when it cannot be written; the document then keeps its file.
    bool saveAs(const QString &path, QString *errorMessage);

    QString path() const;
    // The title set by a module, else the file's name.
    QString title() const;
    bool isUntitled() const { return m_untitled; }
    bool isModified() const { return m_modified; }
    // Called by the commands that change the drawing.
    void setModified() { m_modified = true; }
    // Called after every successful save, whoever asked for it (a host command or a module
    // through the kernel's Save), and after every change of title, so that the views show the
    // new state.
    void setChangedHandler(std::function<void(HostDocument *)> handler) { m_changed = std::move(handler); }

private:
    mutable QMutex m_pathMutex; // guards m_path
    QString m_path;
    OdDbDatabasePtr m_database;
    bool m_untitled;
    bool m_modified = false;
    QString m_title;
    std::function<void(HostDocument *)> m_changed;
};
