// Asks the CAD application running on this machine to open a model of the platform, the way the
// platform's launcher does: reads the port that the connector module published and sends it an
// open-model request.
//   aurex-open MODELID

#include "bridge/bridgeconstants.h"
#include "bridge/bridgefiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTextStream>
#include <QXmlStreamWriter>

namespace {

constexpr int kTimeoutMs = 5000;

int fail(const QString &message)
{
    QTextStream(stderr) << "aurex-open: " << message << '\n';
    return 1;
}

QByteArray openModelRequest(const QString &modelId)
{
    QByteArray request;
    QXmlStreamWriter writer(&request);
    writer.writeEmptyElement(QLatin1String(kOpenModelElement));
    writer.writeAttribute(QLatin1String(kOpenModelIdAttribute), modelId);
    writer.writeEndDocument();
    return request;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("aurex-open"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Asks Lintra, running with the AUREX connector for this user, to download and open a "
        "model of the AUREX platform."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("MODELID"),
                                 QStringLiteral("The platform id of the model to open."));
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 || arguments.first().trimmed().isEmpty())
        parser.showHelp(2);

    const QString portFile = BridgeFiles::location(kPortFilePath);
    QFile file(portFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no Lintra with the AUREX connector is running for this user "
                                   "(%1: %2)").arg(portFile, file.errorString()));
    bool ok = false;
    const quint16 port = file.readAll().trimmed().toUShort(&ok);
    if (!ok || port == 0)
        return fail(QStringLiteral("the AUREX connector in Lintra is not listening (%1)").arg(portFile));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(kTimeoutMs))
        return fail(QStringLiteral("Lintra does not answer on port %1: %2")
                        .arg(port).arg(socket.errorString()));
    socket.write(openModelRequest(arguments.first()));
    // Closing our side is what tells the module that the request is complete.
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState && !socket.waitForDisconnected(kTimeoutMs))
        return fail(QStringLiteral("the request could not be sent: %1").arg(socket.errorString()));
    QTextStream(stdout) << "aurex-open: asked Lintra to open model " << arguments.first() << '\n';
    return 0;
}
