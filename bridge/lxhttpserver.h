#pragma once

#include <QString>
#include <QTcpServer>

#include <functional>

class AurexPlatform;
class OpenModelRequest;
class QTcpSocket;
class ShowAurexTaskPane;

// The local request bridge: listens on a port of the loopback interface that the system picks,
// publishes it in the port file, and opens the model that a program on this machine names in an
// open-model request once that program has finished sending. Created with the module's pane,
// which owns it; main thread only.
class lxHttpServer : public QTcpServer
{
    Q_OBJECT

public:
    // Downloads the model with that platform id and opens it in the host.
    using OpenModel = std::function<void(const QString &modelId)>;

    // Opens requested models through the session's download-and-open step from platform;
    // platform and session outlive the server.
    lxHttpServer(AurexPlatform *platform, ShowAurexTaskPane *session, QObject *parent);
    lxHttpServer(OpenModel openModel, QObject *parent);

    // The platform id named by the last request understood, on any connection.
    QString modelId() const { return m_modelId; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void publishPort();
    void readClient(QTcpSocket *socket, OpenModelRequest *request);
    void readChannelFinishedSlot();
    void discardClient(QTcpSocket *socket);
    void dropClient(QTcpSocket *socket);

    OpenModel m_openModel;
    QString m_modelId;
};
