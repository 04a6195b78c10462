#include "platformclient.h"

#include "sha256.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The bytes of a generated file: a fixed pattern with every 4 KiB block numbered, so that no
// two chunks are alike, made at the speed of copying.
void generate(qint64 offset, char *out, size_t length)
{
    static const std::vector<char> pattern = [] {
        std::vector<char> bytes(4096);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 131 % 251);
        return bytes;
    }();
    for (size_t done = 0; done < length;) {
        const qint64 at = offset + static_cast<qint64>(done);
        const size_t within = static_cast<size_t>(at % 4096);
        const size_t piece = std::min(length - done, pattern.size() - within);
        std::memcpy(out + done, pattern.data() + within, piece);
        // The block's number in its first bytes.
        for (size_t i = 0; i < 8 && within + i < 8 && i < piece; ++i)
            out[done + i] = static_cast<char>((at / 4096) >> (8 * (within + i)));
        done += piece;
    }
}

} // namespace

PlatformClient::PlatformClient(const QString &serverHost) : m_http(serverHost.toStdString())
{
    m_http.set_read_timeout(60);
}

QJsonObject PlatformClient::parse(const std::string &body)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
}

std::string PlatformClient::text(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

QString PlatformClient::sha256(const QByteArray &bytes)
{
    return Sha256::hex(bytes);
}

int PlatformClient::signIn(const QString &user, const QString &password, int *retryAfter)
{
    const httplib::Result result = m_http.Post(
        "/cas/v1/login", text({{"username", user}, {"password", password}}), "application/json");
    if (!result)
        return 0;
    if (retryAfter)
        *retryAfter = QByteArray::fromStdString(result->get_header_value("Retry-After")).toInt();
    if (result->status == 200) {
        m_token = parse(result->body).value("token").toString().toStdString();
        m_http.set_bearer_token_auth(m_token);
    }
    return result->status;
}

int PlatformClient::get(const QString &path, QJsonObject *answer)
{
    const httplib::Result result = m_http.Get(path.toStdString());
    if (!result)
        return 0;
    *answer = parse(result->body);
    return result->status;
}

int PlatformClient::post(const QString &path, const QJsonObject &body, QJsonObject *answer)
{
    const httplib::Result result =
        m_http.Post(path.toStdString(), text(body), "application/json");
    if (!result)
        return 0;
    if (answer)
        *answer = parse(result->body);
    return result->status;
}

int PlatformClient::checkIn(QJsonArray records, const QList<QByteArray> &contents,
                            QJsonObject *answer, const QString &comment)
{
    QByteArray all;
    for (int i = 0; i < records.size(); ++i) {
        QJsonObject record = records.at(i).toObject();
        record.insert("offset", all.size());
        record.insert("size", contents.at(i).size());
        record.insert("sha256", sha256(contents.at(i)));
        records[i] = record;
        all += contents.at(i);
    }
    QJsonObject manifest{{"records", records}};
    if (!comment.isNull())
        manifest.insert("comment", comment);
    const httplib::MultipartFormDataItems items{
        {"manifest", text(manifest), "manifest", "application/json"},
        {"contents", all.toStdString(), "contents", "application/octet-stream"}};
    const httplib::Result result = m_http.Post("/api/v1/checkin", items);
    if (!result)
        return 0;
    if (answer)
        *answer = parse(result->body);
    return result->status;
}

QJsonObject PlatformClient::find(const QString &title)
{
    return findAll(title).at(0).toObject();
}

QJsonArray PlatformClient::findAll(const QString &title)
{
    QJsonObject answer;
    post(QStringLiteral("/api/v1/search"),
         {{"query", QJsonObject{{"_TypePattern", "*"}, {"_or_title_0", title}}}}, &answer);
    return answer.value("objects").toArray();
}

QJsonObject PlatformClient::previewOf(const QJsonObject &object)
{
    QJsonObject answer;
    post(QStringLiteral("/api/v1/previews"),
         {{"refs", QJsonArray{QJsonObject{{"phid", object.value("phid")}}}}}, &answer);
    return answer.value("results").toArray().at(0).toObject();
}

QString PlatformClient::autoname()
{
    QJsonObject answer;
    post(QStringLiteral("/api/v1/autonames"), {{"count", 1}}, &answer);
    return answer.value("names").toArray().at(0).toString();
}

int PlatformClient::checkInGenerated(const QString &title, const QString &space, qint64 size,
                                     QJsonObject *stored)
{
    Sha256 hash;
    std::vector<char> piece(1 << 20);
    for (qint64 done = 0; done < size;) {
        const size_t length = static_cast<size_t>(std::min<qint64>(piece.size(), size - done));
        generate(done, piece.data(), length);
        hash.addData(piece.data(), static_cast<qint64>(length));
        done += static_cast<qint64>(length);
    }
    const QJsonObject record{{"parent", -1}, {"title", title}, {"name", autoname()},
                             {"collabspace", space}, {"offset", 0}, {"size", double(size)},
                             {"sha256", hash.hexResult()}};
    const std::string boundary = "generated-boundary";
    const std::string head = "--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"manifest\"\r\n\r\n"
        + text({{"records", QJsonArray{record}}}) + "\r\n--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"contents\"\r\n\r\n";
    const std::string tail = "\r\n--" + boundary + "--\r\n";
    const size_t total = head.size() + static_cast<size_t>(size) + tail.size();
    const httplib::Result result = m_http.Post(
        "/api/v1/checkin", total,
        [&](size_t offset, size_t length, httplib::DataSink &sink) {
            length = std::min(length, piece.size());
            if (offset < head.size()) {
                sink.write(head.data() + offset, std::min(length, head.size() - offset));
            } else if (offset < head.size() + static_cast<size_t>(size)) {
                const qint64 at = static_cast<qint64>(offset - head.size());
                length = static_cast<size_t>(std::min<qint64>(length, size - at));
                generate(at, piece.data(), length);
                sink.write(piece.data(), length);
            } else {
                const size_t at = offset - head.size() - static_cast<size_t>(size);
                sink.write(tail.data() + at, tail.size() - at);
            }
            return true;
        },
        "multipart/form-data; boundary=" + boundary);
    if (!result)
        return 0;
    if (stored)
        *stored = parse(result->body).value("objects").toArray().at(0).toObject();
    return result->status;
}

QString PlatformClient::downloadDigest(const QString &phid, int revision)
{
    Sha256 hash;
    const std::string version =
        revision > 0 ? "/versions/" + std::to_string(revision) : std::string();
    const httplib::Result result =
        m_http.Get("/api/v1/objects/" + phid.toStdString() + version + "/content",
                   [&hash](const char *data, size_t length) {
                       hash.addData(data, static_cast<qint64>(length));
                       return true;
                   });
    return result && result->status == 200 ? hash.hexResult() : QString();
}
