#include "dashboard.h"

#include "accountstore.h"
#include "httpexchange.h"
#include "database.h"
#include "objectstore.h"
#include "platformconstants.h"

#include <QJsonObject>
#include <QString>

#include <QUrlQuery>

namespace {

const char kCookieName[] = "aurex_dashboard";

QString escaped(const QString &text) { return text.toHtmlEscaped(); }

QString page(const QString &body)
{
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>AUREX Platform</title>"
               "<style>body{font-family:sans-serif;margin:2em;color:#333}"
               "table{border-collapse:collapse}td,th{padding:4px 12px;border-bottom:1px solid "
               "#ddd;text-align:left}h2{color:#368ec4}</style></head><body>"
               "<h1>AUREX Platform</h1>%1</body></html>")
        .arg(body);
}

QString sessionToken(const HttpRequest &request)
{
    const std::string cookies = request.header("cookie");
    const std::string key = std::string(kCookieName) + "=";
    for (const QString &part : QString::fromStdString(cookies).split(QLatin1Char(';'))) {
        const QString trimmed = part.trimmed();
        if (trimmed.startsWith(QLatin1String(key.c_str())))
            return trimmed.mid(static_cast<int>(key.size()));
    }
    return QString();
}

QString signInForm(const QString &message)
{
    return page(QStringLiteral("%1<form method=\"post\" action=\"%2/login\">"
                               "<p><label>User <input name=\"username\"></label></p>"
                               "<p><label>Password <input name=\"password\" type=\"password\">"
                               "</label></p><p><button>Log in</button></p></form>")
                    .arg(message.isEmpty() ? QString()
                                           : QStringLiteral("<p>%1</p>").arg(escaped(message)),
                         QLatin1String(platform::kDashboardPath)));
}

QString overview(AccountStore &accounts, const Caller &caller)
{
    const QJsonObject user = accounts.userInfo(caller);
    QString body = QStringLiteral("<p>Signed in as %1 %2 (%3)</p><form method=\"post\" "
                                  "action=\"%4/logout\"><button>Log out</button></form>")
                       .arg(escaped(user.value(QStringLiteral("firstName")).toString()),
                            escaped(user.value(QStringLiteral("lastName")).toString()),
                            escaped(caller.login), QLatin1String(platform::kDashboardPath));
    ObjectStore store(caller);
    for (const QString &space : accounts.spaceNames(caller)) {
        body += QStringLiteral("<h2>%1</h2><table><tr><th>Title</th><th>Name</th><th>Type</th>"
                               "<th>Modified</th><th>Locked by</th></tr>")
                    .arg(escaped(space));
        const QJsonObject query{{QStringLiteral("_CS"), space},
                                {QStringLiteral("_TypePattern"),
                                 QStringLiteral("%1,%2").arg(QLatin1String(platform::kTypeDrawing),
                                                             QLatin1String(platform::kTypeInsert))}};
        for (const ObjectRow &row : store.search(query)) {
            body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                                   "</tr>")
                        .arg(escaped(row.title), escaped(row.name), escaped(row.type),
                             escaped(ObjectStore::stampText(row.modified)),
                             escaped(row.lockedBy));
        }
        body += QStringLiteral("</table>");
    }
    return page(body);
}

HttpResponse redirectHome(const std::string &cookie)
{
    HttpResponse response;
    response.status = 303;
    response.headers.emplace_back("Location", platform::kDashboardPath);
    response.headers.emplace_back("Set-Cookie", cookie);
    return response;
}

HttpResponse home(const HttpRequest &request, AccountStore &accounts)
{
    try {
        return HttpResponse::html(200, overview(accounts, accounts.authenticate(sessionToken(request))));
    } catch (const ApiError &error) {
        return HttpResponse::html(error.status() == 401 ? 200 : error.status(),
                                  signInForm(error.status() == 401
                                                 ? QString()
                                                 : QString::fromStdString(error.what())));
    }
}

HttpResponse signIn(const HttpRequest &request, const QByteArray &form, AccountStore &accounts)
{
    const QUrlQuery fields(QString::fromUtf8(form).replace(QLatin1Char('+'), QLatin1Char(' ')));
    try {
        const QString token = accounts.signInWithPassword(
            fields.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded),
            fields.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded), QString(),
            QString(), true, request.clientAddress);
        return redirectHome(std::string(kCookieName) + "=" + token.toStdString()
                            + "; HttpOnly; SameSite=Strict; Path=" + platform::kDashboardPath);
    } catch (const ApiError &error) {
        HttpResponse page =
            HttpResponse::html(error.status(), signInForm(QString::fromStdString(error.what())));
        if (error.retryAfterSeconds() > 0)
            page.headers.emplace_back("Retry-After", std::to_string(error.retryAfterSeconds()));
        return page;
    }
}

HttpResponse signOut(const HttpRequest &request, AccountStore &accounts)
{
    try {
        accounts.signOut(sessionToken(request));
    } catch (const ApiError &) {
        // Signing out of a session the database cannot reach still clears the cookie.
    }
    return redirectHome(std::string(kCookieName) + "=; Max-Age=0; HttpOnly; SameSite=Strict; Path="
                        + platform::kDashboardPath);
}

} // namespace

std::unique_ptr<HttpExchange> Dashboard::route(const HttpRequest &request, AccountStore &accounts)
{
    const std::string base = platform::kDashboardPath;
    if (request.path == base && request.method == "GET")
        return std::make_unique<HttpExchange>(home(request, accounts));
    if (request.method != "POST")
        return nullptr;
    if (request.path == base + "/login") {
        return std::make_unique<BufferedExchange>(
            platform::kMaxJsonBodyBytes, [request, &accounts](const QByteArray &form) {
                return signIn(request, form, accounts);
            });
    }
    if (request.path == base + "/logout")
        return std::make_unique<BufferedExchange>(
            platform::kMaxJsonBodyBytes,
            [request, &accounts](const QByteArray &) { return signOut(request, accounts); });
    return nullptr;
}
