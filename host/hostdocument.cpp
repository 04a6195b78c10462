#include "hostdocument.h"

#include <QFileInfo>

HostDocument::HostDocument(const QString &path, bool untitled)
    : m_path(path)
    , m_untitled(untitled)
{
}

HostDocument::~HostDocument() = default;

OdDbDatabase *HostDocument::GetFxDatabase() const
{
    // The host reads no drawing content yet: every document is without a database.
    return nullptr;
}

CFxString HostDocument::GetPathName() const
{
    return CFxString(m_path);
}

bool HostDocument::Save()
{
    // Without a database there is nothing the host could write.
    return false;
}

QString HostDocument::title() const
{
    return QFileInfo(m_path).fileName();
}
