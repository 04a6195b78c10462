#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace httplib {
class Client;
class Result;
enum class Error;
}

class PartialDownload;
class TransferObserver;

// How to reach the platform: server address, sign-in address, proxy and session token. A value
// copied out of the connector for the span of one call, so calls on several threads never share
// an HTTP client. Credentials in it (proxy password, token) never reach a log or an error text.
struct PlatformEndpoint {
    QString serverHost; // as given to SetServer: "srv01", "http://127.0.0.1:8080"
    QString proxyHost;
    int proxyPort = 0;
    QString proxyUser;
    QString proxyPassword;
    QString token;
};

// A file whose bytes an upload reads from disk as they are sent.
struct UploadFile {
    QString path;
    qint64 size = 0;
};

// One upload part of a check-in: a text, or files one after the other, streamed.
struct UploadPart {
    std::string name;
    std::string content;
    std::vector<UploadFile> files;
};

// Blocking HTTP/JSON requests to the platform over cpp-httplib. Failures come back as false with
// a reason fit for the debug output; a 401 answer is reported through signedOut(). A JSON call
// gives up when the platform stays silent for callTimeoutSeconds(); a content transfer (download,
// check-in) only after a much longer silence.
class PlatformConnection
{
public:
    explicit PlatformConnection(const PlatformEndpoint &endpoint);
    ~PlatformConnection();

    // 30 seconds, or what the environment variable FZCONNECTOR_TIMEOUT says.
    static int callTimeoutSeconds();
    // A credential of the call that an answer might echo (a sign-in password or cookie): it is
    // blanked out of every reason this connection gives, as the proxy password and token are.
    void addSecret(const QString &secret);

    // The platform's origin: "https://" + host unless the host names "http://" itself.
    static QString serverOrigin(const QString &serverHost);
    // Resolves a sign-in address; one that is only a path counts from the server's origin.
    static QString resolveCasUrl(const QString &serverHost, const QString &casUrl);

    // url is absolute, or a path below the platform's API.
    bool getJson(const QString &url, QJsonObject *answer, QString *error);
    bool postJson(const QString &url, const QJsonObject &body, QJsonObject *answer,
                  QString *error);
    // Parts with files come after those with texts, whatever their order here. A file that
    // changes its size while it is sent fails the upload.
    bool postParts(const QString &url, const std::vector<UploadPart> &parts, QJsonObject *answer,
                   QString *error);
    // Streams an object's content into folder/fileName through a partial file named after the
    // version (the content's SHA-256, when known), checks the SHA-256 the platform announced
    // and only then renames it into place. A dropped connection is tried again a few times,
    // waiting longer each time, from the bytes that arrived. Returns the platform's
    // modification stamp of what was written. A revision above 0 downloads that version of the
    // object instead of the current one. When the target (or basis, when given) is a local file
    // of 1 MiB or more, only the chunks it lacks are fetched (see DeltaDownload).
    bool download(const QString &phid, const QString &version, const QString &folder,
                  const QString &fileName, QString *stamp, QString *error, int revision = 0,
                  const QString &basis = QString());
    // Sends a file's bytes as an upload of the platform that a check-in then names by the id
    // it returns. A dropped connection is tried again a few times, waiting longer each time,
    // from where the platform's copy ends.
    bool uploadResumable(const UploadFile &file, const QByteArray &sha256, QString *uploadId,
                         QString *error);
    // Sends size bytes with PUT, produced by read (fills the buffer with up to max bytes,
    // returns how many, or -1 with *error set to stop). Gives the HTTP status, with the JSON
    // answer (also of a refusal) in *answer; 0 when the connection dropped, -1 when read
    // stopped (*error says why).
    int putBytes(const QString &url, qint64 size,
                 const std::function<qint64(char *buffer, qint64 max, QString *error)> &read,
                 QJsonObject *answer, QString *error);
    // Fetches bytes first to last of a content, handing them to received as they arrive (false
    // from it stops). Gives the HTTP status (206 when the range came), or 0 when the
    // connection dropped or received stopped (*error says why).
    int getRange(const QString &url, qint64 first, qint64 last,
                 const std::function<bool(const char *, size_t)> &received, QString *error);
    // Hands bytes moved to the observer; false when it cancels.
    bool observe(qint64 bytes);
    // Waits before the attempt after this one; false when the observer cancels meanwhile.
    bool waitToRetry(int attempt);
    // How many times a transfer whose connection drops is tried in all.
    static int transferAttempts();
    // Reads an event stream below the platform's API, sending lastEventId unless it is empty,
    // until the platform ends it or stopStream() is called from another thread; its bytes go to
    // received() as they come. Gives the HTTP status of the stream's answer (200 also when
    // stopped), or 0 when the platform could not be reached; *error says why it was not 200.
    int stream(const QString &url, const QString &lastEventId,
               const std::function<void(const char *, size_t)> &received, QString *error);
    // Ends a stream() running on another thread, or makes the next one end at once.
    void stopStream();
    // Hears of the bytes this connection's transfers move; may cancel them.
    void setObserver(std::shared_ptr<TransferObserver> observer)
    {
        m_observer = std::move(observer);
    }

    bool signedOut() const { return m_signedOut; }
    // The session token the requests of this connection carry.
    QString token() const { return m_endpoint.token; }

    // A file's SHA-256 in hex and its size, read in blocks; false with a reason when it
    // cannot be read.
    static bool hashFile(const QString &path, QByteArray *sha256, qint64 *size, QString *error);

    // A file name that stays inside its folder: no separators, no drive letter, not "." or "..",
    // no control characters.
    static bool isSafeFileName(const QString &name);

    // Why the platform's certificate was not trusted in the calling thread's last JSON call
    // ("self-signed certificate"), "" when it was or no certificate was involved.
    static QString certificateProblem();
    // The platform's own words for why it refused the calling thread's last JSON call, "" when
    // it was answered or got no answer.
    static QString lastRefusal();

private:
    struct Target {
        std::string origin;
        std::string path;
    };
    // How one attempt of a transfer ended: a dropped connection is worth another attempt.
    enum class Outcome { Complete, Dropped, Failed };
    Outcome fetchRest(const Target &where, PartialDownload *part, const QString &targetPath,
                      std::string *expected, QString *stamp, QString *error);
    // Sends the file from received on; reported follows the bytes handed to the observer.
    Outcome sendRest(const QString &url, const UploadFile &file, qint64 *received,
                     qint64 *reported, QString *error);
    Outcome dropped(httplib::Error reason, QString *error);
    Target target(const QString &url) const;
    using Request = std::function<httplib::Result(httplib::Client &, const std::string &path)>;
    bool send(const QString &url, const Request &request, int timeoutSeconds, QJsonObject *answer,
              QString *error);
    // One client per connection object, so the requests of one operation share a connection.
    httplib::Client &client(const std::string &origin, int timeoutSeconds);
    bool finish(int status, const std::string &body, QJsonObject *answer, QString *error);
    // The platform's (or a proxy's) error message, without any secret of this connection.
    QString refusalMessage(const std::string &body) const;
    // "the platform answered STATUS: message", for the debug output.
    QString errorText(const std::string &body, int status) const;

    PlatformEndpoint m_endpoint;
    QStringList m_secrets;
    static thread_local QString t_certificateProblem;
    static thread_local QString t_refusal;
    bool m_signedOut = false;
    std::unique_ptr<httplib::Client> m_client;
    std::shared_ptr<TransferObserver> m_observer;
    std::string m_clientOrigin;
    std::mutex m_streamMutex; // guards m_streamStopped, m_streaming
    bool m_streamStopped = false;
    httplib::Client *m_streaming = nullptr;
};
