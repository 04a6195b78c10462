#pragma once

// Requests written byte by byte to a test platform, for what no HTTP client would send.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <memory>

inline std::unique_ptr<QTcpSocket> connectTo(int port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    socket->waitForConnected(5000);
    return socket;
}

// Status of the first answer on the socket, waiting up to timeoutMs; 0 when none came.
inline int answerStatus(QTcpSocket &socket, int timeoutMs)
{
    QByteArray received;
    QElapsedTimer timer;
    timer.start();
    while (!received.contains("\r\n") && timer.elapsed() < timeoutMs
           && socket.waitForReadyRead(timeoutMs - static_cast<int>(timer.elapsed())))
        received += socket.readAll();
    received += socket.readAll();
    return received.startsWith("HTTP/1.1 ") ? received.mid(9, 3).toInt() : 0;
}

// Writes everything and waits until the socket has sent it.
inline void writeAll(QTcpSocket &socket, const QByteArray &bytes)
{
    socket.write(bytes);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(5000)) {
    }
}
