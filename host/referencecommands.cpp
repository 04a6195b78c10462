#include "referencecommands.h"

#include "hostcommandcontext.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"

#include <dxfdefinitions.h>
#include <dxfxrefs.h>
#include <oddbblocktable.h>
#include <oddbblocktablerecord.h>
#include <oddbhostappservices.h>
#include <oddbqt.h>
#include <oddbxrefman.h>
#include <odedcommandcontext.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ReferenceCommands", text);
}

QString askFile(OdEdCommandContext *context, const char *prompt, const char *filter)
{
    return HostCommandContext::askFile(context, tr(prompt), tr(filter), false);
}

QString askText(OdEdCommandContext *context, const char *prompt)
{
    return HostCommandContext::askText(context, tr(prompt));
}

// The file name of a stored path, whichever separator it uses.
QString storedFileName(const QString &path)
{
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(local).fileName();
}

// The external reference's block record named name, opened for writing.
OdDbBlockTableRecordPtr xrefRecord(OdDbDatabase *database, const QString &name)
{
    OdDbBlockTablePtr table =
        OdDbBlockTable::cast(database->getBlockTableId().openObject(OdDb::kForRead));
    return table ? table->getAt(toOdString(name), OdDb::kForWrite) : OdDbBlockTableRecordPtr();
}

} // namespace

ReferenceCommands::ReferenceCommands(HostDocumentManager *documents, OdDbHostAppServices *services)
    : m_documents(documents)
    , m_services(services)
{
    m_registration.add("_ATTACHDRAWING", [this](OdEdCommandContext *c) { return attachDrawing(c); });
    m_registration.add("_ATTACHIMAGE", [this](OdEdCommandContext *c) { return attachImage(c); });
    m_registration.add("_ATTACHPDF", [this](OdEdCommandContext *c) { return attachPdf(c); });
    m_registration.add("_DETACHDRAWING", [this](OdEdCommandContext *c) { return detachDrawing(c); });
    m_registration.add("_DETACHIMAGE", [this](OdEdCommandContext *c) {
        return detachDefinition(c, DxfDefinitions::RasterImage);
    });
    m_registration.add("_DETACHPDF", [this](OdEdCommandContext *c) {
        return detachDefinition(c, DxfDefinitions::PdfUnderlay);
    });
}

HostDocument *ReferenceCommands::currentDocument(OdEdCommandContext *context) const
{
    HostDocument *document = m_documents->currentDocument();
    if (!document)
        HostCommandContext::report(context, tr("No drawing is open."));
    return document;
}

bool ReferenceCommands::locate(HostDocument *document, const QString &storedPath,
                               OdEdCommandContext *context, QString *localPath) const
{
    *localPath = toQString(m_services->findFile(toOdString(storedPath), document->GetFxDatabase(),
                                                OdDbHostAppServices::kXRefDrawing));
    if (localPath->isEmpty())
        HostCommandContext::report(context, tr("Cannot attach %1: there is no such file.").arg(storedPath));
    return !localPath->isEmpty();
}

void ReferenceCommands::changed(HostDocument *document)
{
    document->setModified();
    m_documents->notifyDocumentChanged(document);
}

int ReferenceCommands::attachDrawing(OdEdCommandContext *context)
{
    HostDocument *document = currentDocument(context);
    if (!document)
        return RTNORM;
    const QString path = askFile(context, QT_TRANSLATE_NOOP("ReferenceCommands", "Drawing to attach"),
                                 QT_TRANSLATE_NOOP("ReferenceCommands", "Drawings (*.dwg *.dxf)"));
    if (path.isEmpty())
        return RTNORM;
    QString name = HostCommandContext::givenAnswer(context);
    if (name.isEmpty())
        name = QFileInfo(storedFileName(path)).completeBaseName();
    OdDbDatabase *database = document->GetFxDatabase();
    QString error;
    if (!DxfXrefs(database->document()).attach(path, name, QPointF(), &error)) {
        HostCommandContext::report(context, tr("Cannot attach %1: %2").arg(path, error));
        return RTNORM;
    }
    if (OdDbBlockTableRecordPtr record = xrefRecord(database, name)) {
        if (OdDbXRefMan::load(record.get()) != eOk)
            HostCommandContext::report(
                context, tr("%1 is attached as %2 but cannot be loaded now.").arg(path, name));
    }
    changed(document);
    return RTNORM;
}

int ReferenceCommands::attachDefinition(OdEdCommandContext *context, const char *prompt,
                                        const char *filter, const Attach &attach)
{
    HostDocument *document = currentDocument(context);
    if (!document)
        return RTNORM;
    const QString path = askFile(context, prompt, filter);
    if (path.isEmpty())
        return RTNORM;
    QString local;
    if (!locate(document, path, context, &local))
        return RTNORM;
    DxfDefinitions definitions(document->GetFxDatabase()->document());
    QString error;
    if (!attach(definitions, path, local, &error)) {
        HostCommandContext::report(context, tr("Cannot attach %1: %2").arg(path, error));
        return RTNORM;
    }
    changed(document);
    return RTNORM;
}

int ReferenceCommands::attachImage(OdEdCommandContext *context)
{
    const Attach attach = [context](DxfDefinitions &definitions, const QString &path,
                                    const QString &local, QString *error) {
        const QSize pixels = QImageReader(local).size();
        if (!pixels.isValid()) {
            *error = tr("it is not a picture that can be read.");
            return false;
        }
        bool given = false;
        double width = HostCommandContext::givenAnswer(context).toDouble(&given);
        if (!given || width <= 0)
            width = pixels.width();
        quint64 definition = 0;
        return definitions.attachImage(path, pixels, QPointF(), width, &definition, error);
    };
    return attachDefinition(context, QT_TRANSLATE_NOOP("ReferenceCommands", "Image to attach"),
                            QT_TRANSLATE_NOOP("ReferenceCommands",
                                              "Images (*.png *.jpg *.jpeg *.bmp *.gif *.tif *.tiff)"),
                            attach);
}

int ReferenceCommands::attachPdf(OdEdCommandContext *context)
{
    const Attach attach = [context](DxfDefinitions &definitions, const QString &path,
                                    const QString &local, QString *error) {
        QFile pdf(local);
        if (!pdf.open(QIODevice::ReadOnly) || !pdf.read(5).startsWith("%PDF-")) {
            *error = tr("it is not a PDF file.");
            return false;
        }
        QString page = HostCommandContext::givenAnswer(context);
        if (page.isEmpty())
            page = QStringLiteral("1");
        bool given = false;
        double scale = HostCommandContext::givenAnswer(context).toDouble(&given);
        if (!given || scale <= 0)
            scale = 1.0;
        quint64 definition = 0;
        return definitions.attachPdf(path, page, QPointF(), scale, &definition, error);
    };
    return attachDefinition(context, QT_TRANSLATE_NOOP("ReferenceCommands", "PDF to attach"),
                            QT_TRANSLATE_NOOP("ReferenceCommands", "PDF files (*.pdf)"), attach);
}

int ReferenceCommands::detachDrawing(OdEdCommandContext *context)
{
    HostDocument *document = currentDocument(context);
    if (!document)
        return RTNORM;
    const QString name =
        askText(context, QT_TRANSLATE_NOOP("ReferenceCommands", "Name of the reference to detach"));
    if (name.isEmpty())
        return RTNORM;
    OdDbDatabase *database = document->GetFxDatabase();
    // The loaded drawing goes first, while its block record still exists.
    if (OdDbBlockTableRecordPtr record = xrefRecord(database, name))
        OdDbXRefMan::unload(record.get());
    QString error;
    if (!DxfXrefs(database->document()).detach(name, &error)) {
        HostCommandContext::report(context, tr("Cannot detach %1: %2").arg(name, error));
        return RTNORM;
    }
    changed(document);
    return RTNORM;
}

int ReferenceCommands::detachDefinition(OdEdCommandContext *context, int kind)
{
    HostDocument *document = currentDocument(context);
    if (!document)
        return RTNORM;
    const QString key =
        askText(context, QT_TRANSLATE_NOOP("ReferenceCommands", "Name or file of the attachment to detach"));
    if (key.isEmpty())
        return RTNORM;
    DxfDefinitions definitions(document->GetFxDatabase()->document());
    // By its name in the drawing, or by the file it shows (with or without suffix).
    for (const DxfDefinitions::Definition &definition :
         definitions.list(static_cast<DxfDefinitions::Kind>(kind))) {
        const QString file = storedFileName(definition.path);
        if (definition.name.compare(key, Qt::CaseInsensitive) != 0
            && file.compare(key, Qt::CaseInsensitive) != 0
            && QFileInfo(file).completeBaseName().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString error;
        if (!definitions.detach(definition.handle, &error)) {
            HostCommandContext::report(context, tr("Cannot detach %1: %2").arg(key, error));
            return RTNORM;
        }
        changed(document);
        return RTNORM;
    }
    HostCommandContext::report(context, tr("Nothing named %1 is attached.").arg(key));
    return RTNORM;
}
