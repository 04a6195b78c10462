#include "hostdocumentmanager.h"

#include "hostdocument.h"

#include <cfxdocumentmanagerreactor.h>
#include <dxfdocument.h>
#include <oddbhostappservices.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QStandardPaths>

// Resources of a static library are registered by hand, from the global namespace.
static void registerHostResources()
{
    Q_INIT_RESOURCE(host);
}

namespace {
const char kTemplate[] = ":/host/templates/newdrawing.dxf";
}

HostDocumentManager::HostDocumentManager(OdDbHostAppServices *services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    registerHostResources();
}

HostDocumentManager::~HostDocumentManager() = default;

QString HostDocumentManager::normalizedPath(const QString &path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result.isEmpty() ? result : QDir::cleanPath(QFileInfo(result).absoluteFilePath());
}

QString HostDocumentManager::newDrawingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

CFxDocument *HostDocumentManager::GetCurrentDocument() const
{
    return m_current.load();
}

HostDocument *HostDocumentManager::find(const QString &normalized) const
{
    QMutexLocker locker(&m_mutex);
    for (const auto &document : m_documents) {
        if (normalizedPath(document->path()) == normalized)
            return document.get();
    }
    return nullptr;
}

CFxDocument *HostDocumentManager::FindDocument(const CFxString &path) const
{
    const QString normalized = normalizedPath(path.toQString());
    return normalized.isEmpty() ? nullptr : find(normalized);
}

CFxDocument *HostDocumentManager::OpenDocument(const CFxString &path)
{
    const QString normalized = normalizedPath(path.toQString());
    if (normalized.isEmpty() || !QFileInfo(normalized).isFile())
        return nullptr;
    if (HostDocument *open = find(normalized)) {
        ActivateDocument(open);
        return open;
    }
    QString reason;
    OdDbDatabasePtr database = m_services->readDrawing(normalized, &reason);
    if (database.isNull()) {
        emit openFailed(normalized, reason);
        return nullptr;
    }
    return addDocument(std::make_unique<HostDocument>(normalized, database, false));
}

HostDocument *HostDocumentManager::newDocument()
{
    QString path;
    do {
        ++m_untitledCounter;
        path = normalizedPath(newDrawingsFolder()
                              + QStringLiteral("/Drawing%1.dwg").arg(m_untitledCounter));
    } while (find(path) || QFileInfo::exists(path));
    QFile templateFile(QString::fromLatin1(kTemplate));
    auto document = std::make_shared<DxfDocument>();
    QString reason;
    if (!templateFile.open(QIODevice::ReadOnly) || !document->parse(templateFile.readAll(), &reason)) {
        emit openFailed(path, tr("The template for new drawings cannot be read: %1").arg(reason));
        return nullptr;
    }
    OdDbDatabasePtr database = OdDbDatabase::create(std::move(document), path, m_services);
    return addDocument(std::make_unique<HostDocument>(path, database, true));
}

HostDocument *HostDocumentManager::addDocument(std::unique_ptr<HostDocument> document)
{
    HostDocument *raw = document.get();
    raw->setChangedHandler([this](HostDocument *saved) { notifyDocumentChanged(saved); });
    forEachReactor([raw](CFxDocumentManagerReactor *r) { r->DocumentCreateStarted(raw); });
    {
        QMutexLocker locker(&m_mutex);
        m_documents.push_back(std::move(document));
    }
    forEachReactor([raw](CFxDocumentManagerReactor *r) { r->DocumentCreated(raw); });
    emit documentAdded(raw);
    ActivateDocument(raw);
    return raw;
}

bool HostDocumentManager::CloseDocument(CFxDocument *document)
{
    auto *hostDocument = static_cast<HostDocument *>(document);
    std::unique_ptr<HostDocument> owned;
    {
        QMutexLocker locker(&m_mutex);
        for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
            if (it->get() == hostDocument) {
                owned = std::move(*it);
                m_documents.erase(it);
                break;
            }
        }
    }
    if (!owned)
        return false;
    forEachReactor([&owned](CFxDocumentManagerReactor *r) { r->DocumentToBeDestroyed(owned.get()); });
    const bool wasCurrent = m_current == owned.get();
    if (wasCurrent)
        m_current = nullptr;
    emit documentRemoved(owned.get());
    const CFxDocument *gone = owned.get();
    owned.reset();
    forEachReactor([gone](CFxDocumentManagerReactor *r) { r->DocumentDestroyed(gone); });
    if (wasCurrent) {
        HostDocument *next = nullptr;
        if (!m_closingAll) {
            QMutexLocker locker(&m_mutex);
            if (!m_documents.empty())
                next = m_documents.back().get();
        }
        if (next)
            ActivateDocument(next);
        else
            emit currentDocumentChanged(nullptr);
    }
    return true;
}

bool HostDocumentManager::ActivateDocument(CFxDocument *document)
{
    auto *hostDocument = static_cast<HostDocument *>(document);
    if (!hostDocument || hostDocument == m_current)
        return hostDocument != nullptr;
    {
        QMutexLocker locker(&m_mutex);
        bool known = false;
        for (const auto &d : m_documents)
            known = known || d.get() == hostDocument;
        if (!known)
            return false;
    }
    if (HostDocument *previous = m_current.load())
        forEachReactor([previous](CFxDocumentManagerReactor *r) { r->DocumentToBeDeactivated(previous); });
    forEachReactor([hostDocument](CFxDocumentManagerReactor *r) { r->DocumentToBeActivated(hostDocument); });
    m_current = hostDocument;
    emit currentDocumentChanged(hostDocument);
    forEachReactor([hostDocument](CFxDocumentManagerReactor *r) { r->DocumentActivated(hostDocument); });
    return true;
}

int HostDocumentManager::GetDocumentCount() const
{
    QMutexLocker locker(&m_mutex);
    return static_cast<int>(m_documents.size());
}

CFxDocument *HostDocumentManager::GetDocumentAt(int index) const
{
    QMutexLocker locker(&m_mutex);
    if (index < 0 || index >= static_cast<int>(m_documents.size()))
        return nullptr;
    return m_documents[static_cast<std::size_t>(index)].get();
}

void HostDocumentManager::closeAll()
{
    m_closingAll = true;
    while (GetDocumentCount() > 0)
        CloseDocument(GetDocumentAt(GetDocumentCount() - 1));
    m_closingAll = false;
}
