#include "lxhttpserver.h"

#include "bridgeconstants.h"
#include "bridgefiles.h"
#include "bridgelogging.h"
#include "openmodelrequest.h"

#include "session/openplatformmodel.h"
#include "session/showaurextaskpane.h"

#include <QHostAddress>
#include <QMessageBox>
#include <QTcpSocket>

#include <memory>

namespace {

// Downloads into the user's configuration folder, where the platform's launcher looks too.
void openRequestedModel(AurexPlatform *platform, ShowAurexTaskPane *session,
                        const QString &modelId)
{
    const QString folder = BridgeFiles::location("");
    const auto beforeOpen = [session](const QString &) {
        // An explicit request supersedes the launcher's start-up open: the drawing asked for
        // here must not be taken for a blank drawing the host opened in the meantime.
        session->setLauncherOpenPending(false);
    };
    openPlatformModel(platform, modelId, folder, beforeOpen,
                      [](const QString &opened, const QString &error) {
        if (!opened.isEmpty())
            return;
        // The request came from another program: without a word the user would wait for
        // nothing.
        auto *box =
            new QMessageBox(QMessageBox::Warning, QObject::tr("Error"), error, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
}

} // namespace

lxHttpServer::lxHttpServer(AurexPlatform *platform, ShowAurexTaskPane *session, QObject *parent)
    : lxHttpServer([platform, session](const QString &modelId) {
        openRequestedModel(platform, session, modelId);
    }, parent)
{
}

lxHttpServer::lxHttpServer(OpenModel openModel, QObject *parent)
    : QTcpServer(parent)
    , m_openModel(std::move(openModel))
{
    if (!listen(QHostAddress::LocalHost, 0))
        qCDebug(lcBridge) << "cannot listen on the loopback interface:" << errorString();
    publishPort();
}

void lxHttpServer::publishPort()
{
    // A server that could not listen publishes 0, so that senders find no stale port.
    const QByteArray text = QByteArray::number(serverPort()) + '\n';
    QString error;
    if (!BridgeFiles::writePrivate(BridgeFiles::location(kPortFilePath), text, &error))
        qCDebug(lcBridge) << "cannot write the port file:" << error;
}

void lxHttpServer::incomingConnection(qintptr socketDescriptor)
{
    auto *socket = new QTcpSocket(this);
    // The request lives as long as the connections that use it, that is as long as the socket.
    auto request = std::make_shared<OpenModelRequest>();
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket, request]() { readClient(socket, request.get()); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket]() { discardClient(socket); });
    connect(socket, &QTcpSocket::readChannelFinished, this, &lxHttpServer::readChannelFinishedSlot);
    if (!socket->setSocketDescriptor(socketDescriptor, QAbstractSocket::ConnectedState,
                                     QIODevice::ReadWrite))
        dropClient(socket);
}

void lxHttpServer::readClient(QTcpSocket *socket, OpenModelRequest *request)
{
    const QByteArray chunk = socket->readAll();
    const OpenModelRequest::Outcome outcome = request->addChunk(chunk);
    if (outcome == OpenModelRequest::Outcome::TooLarge) {
        qCDebug(lcBridge) << "dropped a connection that sent more than a request";
        dropClient(socket);
        return;
    }
    // The request file keeps what the last sender sent, for whoever looks into a failed open.
    QString error;
    if (!BridgeFiles::writePrivate(BridgeFiles::location(kRequestFilePath), chunk, &error))
        qCDebug(lcBridge) << "cannot write the request file:" << error;
    if (outcome == OpenModelRequest::Outcome::Document)
        m_modelId = request->modelId();
}

void lxHttpServer::readChannelFinishedSlot()
{
    // Opening starts a download and returns; the model opens when it has arrived.
    if (m_modelId.isEmpty())
        qCDebug(lcBridge) << "a sender finished without naming a model";
    else
        m_openModel(m_modelId);
}

void lxHttpServer::discardClient(QTcpSocket *socket)
{
    socket->deleteLater();
}

void lxHttpServer::dropClient(QTcpSocket *socket)
{
    // Nothing more of this connection is read or acted on.
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
