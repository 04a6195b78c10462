#include "platformtestcase.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QXmlStreamReader>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

PlatformTestCase::SignedIn::SignedIn(const QString &serverHost, const QString &user,
                                     const QString &password)
    : PlatformClient(serverHost)
{
    const int status = signIn(user, password.isNull() ? user + "-demo-pw" : password);
    if (status != 200)
        QTest::qFail(qPrintable(QStringLiteral("%1 signed in with %2").arg(user).arg(status)),
                     __FILE__, __LINE__);
}

QJsonObject PlatformTestCase::record(const QString &title, const QString &name,
                                     const QString &space, int parent)
{
    QJsonObject record{{"parent", parent}, {"title", title}, {"name", name}, {"collabspace", space}};
    if (parent >= 0)
        record.insert("_RelationToParent", "CADSubcomponent");
    return record;
}

namespace {

QStringList linesOf(const QJsonArray &entries, const QStringList &keys, bool anyType)
{
    QStringList out;
    for (const QJsonValue &entry : entries) {
        QStringList values;
        for (const QString &key : keys)
            values << (anyType ? entry[key].toVariant().toString() : entry[key].toString());
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

QStringList PlatformTestCase::lines(const QJsonArray &entries, const QStringList &keys)
{
    return linesOf(entries, keys, false);
}

QStringList PlatformTestCase::lines(const QByteArray &json, const QStringList &keys)
{
    return linesOf(QJsonDocument::fromJson(json).array(), keys, true);
}

QJsonArray PlatformTestCase::versionsOf(PlatformClient &client, const QString &phid)
{
    QJsonObject answer;
    return client.get("/api/v1/objects/" + phid + "/versions", &answer) == 200
        ? answer["versions"].toArray()
        : QJsonArray();
}

QString PlatformTestCase::phidOf(PlatformClient &client, const QString &title)
{
    return client.find(title)["phid"].toString();
}

int PlatformTestCase::cookieSignIn(const QString &serverHost, const QJsonObject &body)
{
    return PlatformClient(serverHost).post("/cas/v1/cookie", body);
}

bool PlatformTestCase::purgeTrash(const PlatformProcess &platform, int days)
{
    return platform.change({QStringLiteral("UPDATE objects SET trashed_at = trashed_at - %1")
                                .arg(days * 86400)})
        && platform.run({"trash", "purge", "--trash-days", "1"}).exitCode == 0;
}

int PlatformTestCase::modeOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

QString PlatformTestCase::outline(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no file)");
    QXmlStreamReader xml(&file);
    QStringList lines;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            lines << xml.name().toString();
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                lines.last() += QStringLiteral(" %1=%2").arg(attribute.name(), attribute.value());
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            lines.last() += QStringLiteral(" [%1]").arg(xml.text());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray PlatformTestCase::randomBytes(qint64 size)
{
    QByteArray bytes(static_cast<int>(size), Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          bytes.size() / 4);
    return bytes;
}

std::unique_ptr<QTcpSocket> PlatformTestCase::connectTo(int port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    socket->waitForConnected(5000);
    return socket;
}

int PlatformTestCase::answerStatus(QTcpSocket &socket, int timeoutMs)
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

void PlatformTestCase::writeAll(QTcpSocket &socket, const QByteArray &bytes)
{
    socket.write(bytes);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(5000)) {
    }
}

int PlatformTestCase::plainSocket(int port, int receiveBuffer, int receiveTimeout,
                                  int sendTimeout)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    for (const auto &[option, seconds] : {std::pair<int, int>{SO_RCVTIMEO, receiveTimeout},
                                          {SO_SNDTIMEO, sendTimeout}}) {
        const timeval patience{seconds, 0};
        if (seconds > 0)
            ::setsockopt(fd, SOL_SOCKET, option, &patience, sizeof patience);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QString PlatformTestCase::startDemo(const QStringList &users, const QStringList &serveArguments)
{
    QString problem;
    m_platform = PlatformProcess::startDemo(&problem, serveArguments);
    for (const QString &user : users) {
        if (m_platform)
            m_as[user] = std::make_unique<SignedIn>(m_platform->serverHost(), user);
    }
    return problem;
}
