#pragma once

// What the platform's tests share: a demo platform with its users signed in, the records and
// requests they send (some written byte by byte, as no HTTP client would), and the lists of
// answers they compare whole.

#include "platformclient.h"
#include "platformprocess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpSocket>
#include <QtTest>

#include <map>
#include <memory>

class PlatformTestCase : public QObject
{
public:
    // A client signed in with the password (the demo's when none is given); a refused sign-in
    // fails the test.
    class SignedIn : public PlatformClient
    {
    public:
        SignedIn(const QString &serverHost, const QString &user, const QString &password = {});
    };

    // A new file's record in the space: at the top of its check-in, or referenced by the
    // record at parent.
    static QJsonObject record(const QString &title, const QString &name, const QString &space,
                              int parent = -1);
    static QJsonObject ref(const QJsonValue &phid) { return {{"phid", phid}}; }
    static QJsonObject byName(const QJsonValue &name) { return {{"name", name}}; }
    // One line per entry: the values of the keys, joined by "|"; a value that is not a string
    // (as every value the connector reads must be) shows as empty.
    static QStringList lines(const QJsonArray &entries, const QStringList &keys);
    // The same of a list an administration command printed with --json, numbers and booleans
    // as written.
    static QStringList lines(const QByteArray &json, const QStringList &keys);
    // An object's versions as the platform lists them, newest first; empty when refused.
    static QJsonArray versionsOf(PlatformClient &client, const QString &phid);
    static QString phidOf(PlatformClient &client, const QString &title);
    // Status of a launcher-cookie sign-in; the body names the cookie and what else it asks.
    static int cookieSignIn(const QString &serverHost, const QJsonObject &body);
    // Ages whatever is in the trash by days and empties the trash of what is a day old.
    static bool purgeTrash(const PlatformProcess &platform, int days = 1);
    // The permission bits of a file or folder; -1 when it is not there.
    static int modeOf(const QString &path);
    // The XML file's elements, one a line: the name, each attribute as name=value, the text in
    // brackets.
    static QString outline(const QString &path);
    static QByteArray randomBytes(qint64 size);

    // A socket connected to the platform's port.
    static std::unique_ptr<QTcpSocket> connectTo(int port);
    // Status of the first answer on the socket, waiting up to timeoutMs; 0 when none came.
    static int answerStatus(QTcpSocket &socket, int timeoutMs);
    // Writes everything and waits until the socket has sent it.
    static void writeAll(QTcpSocket &socket, const QByteArray &bytes);
    // A blocking socket connected to 127.0.0.1:port with the options that are not 0 (a
    // receive buffer set before it connects, timeouts in seconds); -1 when it did not connect.
    static int plainSocket(int port, int receiveBuffer, int receiveTimeout, int sendTimeout);

protected:
    // Starts a demo platform with the serve arguments and signs each user in as as(user); the
    // problem, or empty.
    QString startDemo(const QStringList &users, const QStringList &serveArguments = {});
    SignedIn &as(const QString &user) { return *m_as.at(user); }

    std::unique_ptr<PlatformProcess> m_platform;
    std::map<QString, std::unique_ptr<SignedIn>> m_as;
};
