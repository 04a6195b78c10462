#include "filecommands.h"

#include "hostcommandcontext.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"

#include <odedcommandcontext.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("FileCommands", text);
}

const char kDrawingFilter[] = QT_TRANSLATE_NOOP("FileCommands", "Drawings (*.dwg *.dxf)");

QString askFile(OdEdCommandContext *context, const char *prompt, bool forSaving)
{
    return HostCommandContext::askFile(context, tr(prompt), tr(kDrawingFilter), forSaving);
}

} // namespace

FileCommands::FileCommands(HostDocumentManager *documents)
    : m_documents(documents)
{
    m_registration.add("_NEW", [this](OdEdCommandContext *) {
        m_documents->newDocument();
        return RTNORM;
    });
    m_registration.add("_OPEN", [this](OdEdCommandContext *c) { return open(c); });
    m_registration.add("_SAVE", [this](OdEdCommandContext *c) { return save(c); });
    m_registration.add("_SAVEAS", [this](OdEdCommandContext *c) { return saveAs(c); });
    m_registration.add("_CLOSE", [this](OdEdCommandContext *c) { return close(c); });
}

int FileCommands::open(OdEdCommandContext *context)
{
    const QString path = askFile(context, QT_TRANSLATE_NOOP("FileCommands", "Drawing to open"), false);
    if (!path.isEmpty() && !m_documents->OpenDocument(path))
        HostCommandContext::report(context, tr("%1 was not opened.").arg(path));
    return RTNORM;
}

bool FileCommands::saveDocument(HostDocument *document, const QString &path,
                                OdEdCommandContext *context)
{
    CFxDocument *other = m_documents->FindDocument(path);
    if (other && other != document) {
        HostCommandContext::report(
            context, tr("Cannot save as %1: that drawing is open in another tab.").arg(path));
        return false;
    }
    QString error;
    if (!document->saveAs(path, &error)) {
        HostCommandContext::report(context, tr("Cannot save %1: %2").arg(path, error));
        return false;
    }
    HostCommandContext::report(context, tr("Saved %1.").arg(document->path()));
    return true;
}

int FileCommands::save(OdEdCommandContext *context)
{
    HostDocument *document = m_documents->currentDocument();
    if (!document)
        HostCommandContext::report(context, tr("No drawing is open."));
    else
        saveDocument(document, document->path(), context);
    return RTNORM;
}

int FileCommands::saveAs(OdEdCommandContext *context)
{
    HostDocument *document = m_documents->currentDocument();
    if (!document) {
        HostCommandContext::report(context, tr("No drawing is open."));
        return RTNORM;
    }
    const QString path = askFile(context, QT_TRANSLATE_NOOP("FileCommands", "Save drawing as"), true);
    if (!path.isEmpty())
        saveDocument(document, path, context);
    return RTNORM;
}

int FileCommands::close(OdEdCommandContext *context)
{
    HostDocument *document = m_documents->currentDocument();
    if (!document)
        return RTNORM;
    if (document->isModified() && HostCommandContext::isInteractive(context)) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            QApplication::activeWindow(), tr("Close"),
            tr("Save the changes to %1 before closing?").arg(document->title()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel)
            return RTNORM;
        if (answer == QMessageBox::Save && !saveDocument(document, document->path(), context))
            return RTNORM;
    }
    m_documents->CloseDocument(document);
    return RTNORM;
}
