#include "hostdocument.h"

#include <oddb.h>
#include <oderror.h>
#include <odeditor.h>

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

HostDocument::HostDocument(const QString &path, const OdDbDatabasePtr &database, bool untitled)
    : m_path(path)
    , m_database(database)
    , m_untitled(untitled)
{
}

HostDocument::~HostDocument() = default;

OdDbDatabase *HostDocument::GetFxDatabase() const
{
    return m_database.get();
}

CFxString HostDocument::GetPathName() const
{
    return CFxString(path());
}

QString HostDocument::path() const
{
    QMutexLocker locker(&m_pathMutex);
    return m_path;
}

bool HostDocument::Save()
{
    QString error;
    return saveAs(path(), &error);
}

bool HostDocument::saveAs(const QString &path, QString *errorMessage)
{
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const OdString name(target.toStdWString());
    odedEditor()->fire_beginSave(m_database.get(), name);
    try {
        QDir().mkpath(QFileInfo(target).absolutePath());
        // The drawing library writes through a temporary file: a failed save leaves the old one.
        m_database->writeFile(name, OdDb::kDwg, OdDb::kDHL_CURRENT);
    } catch (const OdError &error) {
        odedEditor()->fire_abortSave(m_database.get());
        *errorMessage = QString::fromStdWString(error.description().wstring());
        return false;
    }
    {
        QMutexLocker locker(&m_pathMutex);
        // Saved under another name, the document is that file, whatever it was called before.
        if (m_path != target)
            m_title.clear();
        m_path = target;
    }
    m_database->setFileName(target);
    m_untitled = false;
    m_modified = false;
    odedEditor()->fire_saveComplete(m_database.get(), name);
    if (m_changed)
        m_changed(this);
    return true;
}

void HostDocument::SetTitle(const CFxString &title)
{
    m_title = title.toQString();
    if (m_changed)
        m_changed(this);
}

QString HostDocument::title() const
{
    return m_title.isEmpty() ? QFileInfo(path()).fileName() : m_title;
}
