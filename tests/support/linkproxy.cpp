#include "linkproxy.h"

#include <QElapsedTimer>

#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const size_t kBlock = 64 * 1024;

struct Pair {
    int fd[2]; // [ToServer]: the client's end, read from; [ToClient]: the server's end
};

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool writeAll(int fd, const char *data, ssize_t length)
{
    while (length > 0) {
        const ssize_t written = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        data += written;
        length -= written;
    }
    return true;
}

void closePair(const Pair &pair)
{
    ::close(pair.fd[0]);
    ::close(pair.fd[1]);
}

} // namespace

LinkProxy::LinkProxy(quint16 serverPort)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::listen(m_listener, 64) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || ::pipe2(m_wake, O_CLOEXEC) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this, serverPort] {
        std::vector<Pair> pairs;
        QElapsedTimer clock;
        clock.start();
        qint64 sent[2] = {0, 0}; // since the clock started, for the rate
        while (!m_stop) {
            std::vector<pollfd> watched{{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            const qint64 rate = m_rate;
            if (rate == 0) {
                // What crosses an unlimited link does not count against a rate set later.
                clock.restart();
                sent[ToServer] = sent[ToClient] = 0;
            }
            bool held[2];
            for (int way : {ToServer, ToClient}) {
                // A link that stood idle does not save up more than a tenth of a second.
                const qint64 allowed = rate * clock.elapsed() / 1000;
                sent[way] = qMax(sent[way], allowed - rate / 10);
                held[way] = rate > 0 && sent[way] >= allowed;
            }
            for (const Pair &pair : pairs) {
                for (int way : {ToServer, ToClient})
                    watched.push_back({pair.fd[way], short(held[way] ? 0 : POLLIN), 0});
            }
            ::poll(watched.data(), watched.size(), held[0] || held[1] ? 2 : 200);
            if (watched[0].revents & POLLIN) {
                const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                const int server = client >= 0 ? connectTo(serverPort) : -1;
                if (server >= 0)
                    pairs.push_back({{client, server}});
                else if (client >= 0)
                    ::close(client);
            }
            std::vector<bool> ended(pairs.size(), false);
            bool cutNow = false;
            char block[kBlock];
            for (size_t i = 0; i < pairs.size(); ++i) {
                for (int way : {ToServer, ToClient}) {
                    const pollfd &polled = watched[2 + 2 * i + size_t(way)];
                    if (!(polled.revents & (POLLIN | POLLHUP | POLLERR)) || ended[i])
                        continue;
                    qint64 room = qint64(kBlock);
                    const qint64 cutAt = m_cutAt[way];
                    if (cutAt >= 0)
                        room = qMin(room, cutAt - m_bytes[way]);
                    const ssize_t read = room > 0 ? ::recv(polled.fd, block, size_t(room), 0) : 0;
                    QByteArray relayed = QByteArray::fromRawData(block, int(qMax<ssize_t>(read, 0)));
                    if (way == ToServer) {
                        const std::lock_guard<std::mutex> lock(m_hiddenMutex);
                        // Renamed in place, so the request keeps its length.
                        if (!m_hidden.isEmpty() && relayed.contains(m_hidden))
                            relayed.replace(m_hidden, QByteArray(m_hidden).replace(2, 1, "X"));
                    }
                    if (read <= 0
                        || !writeAll(pairs[i].fd[1 - way], relayed.constData(), relayed.size())) {
                        ended[i] = room > 0;
                        cutNow = cutNow || room <= 0;
                        continue;
                    }
                    m_bytes[way] += read;
                    sent[way] += read;
                    cutNow = cutNow || (cutAt >= 0 && m_bytes[way] >= cutAt);
                }
            }
            if (cutNow) {
                m_cutAt[0] = m_cutAt[1] = -1;
                m_cut = true;
                std::fill(ended.begin(), ended.end(), true);
            }
            for (size_t i = pairs.size(); i-- > 0;) {
                if (ended[i]) {
                    closePair(pairs[i]);
                    pairs.erase(pairs.begin() + long(i));
                }
            }
        }
        for (const Pair &pair : pairs)
            closePair(pair);
    });
}

LinkProxy::~LinkProxy()
{
    m_stop = true;
    // Otherwise the relay notices the stop at its next poll timeout.
    if (m_wake[1] >= 0)
        [[maybe_unused]] const ssize_t woken = ::write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : {m_listener, m_wake[0], m_wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void LinkProxy::cutOnceAt(Way way, qint64 bytes)
{
    m_cutAt[way] = bytes;
}

void LinkProxy::hideRequestHeader(const QByteArray &name)
{
    const std::lock_guard<std::mutex> lock(m_hiddenMutex);
    m_hidden = name.isEmpty() ? QByteArray() : "\r\n" + name + ':';
}
