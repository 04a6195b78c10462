#include "platformclient.h"

#include <QCryptographicHash>
#include <QJsonDocument>

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
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

int PlatformClient::signIn(const QString &user, const QString &password, int *retryAfter)
{
    const httplib::Result result = m_http.Post(
        "/cas/v1/login", text({{"username", user}, {"password", password}}), "application/json");
    if (!result)
        return 0;
    if (retryAfter)
        *retryAfter = QByteArray::fromStdString(result->get_header_value("Retry-After")).toInt();
    if (result->status == 200)
        m_http.set_bearer_token_auth(parse(result->body).value("token").toString().toStdString());
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
                            QJsonObject *answer)
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
    const httplib::MultipartFormDataItems items{
        {"manifest", text({{"records", records}}), "manifest", "application/json"},
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
    QJsonObject answer;
    post(QStringLiteral("/api/v1/search"),
         {{"query", QJsonObject{{"_TypePattern", "*"}, {"_or_title_0", title}}}}, &answer);
    return answer.value("objects").toArray().at(0).toObject();
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
