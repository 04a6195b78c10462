#include "dashboard.h"

#include "accountstore.h"
#include "database.h"
#include "objectstore.h"
#include "platformconstants.h"

#include <QJsonObject>
#include <QString>

#include <httplib.h>

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

QString sessionToken(const httplib::Request &request)
{
    const std::string cookies = request.get_header_value("Cookie");
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

void sendPage(httplib::Response &response, int status, const QString &html)
{
    response.status = status;
    response.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    response.set_content(html.toStdString(), "text/html; charset=utf-8");
}

void redirectHome(httplib::Response &response, const std::string &cookie)
{
    response.status = 303;
    response.set_header("Location", platform::kDashboardPath);
    response.set_header("Set-Cookie", cookie);
}

} // namespace

void Dashboard::install(httplib::Server &server, AccountStore &accounts)
{
    const std::string base = platform::kDashboardPath;
    server.Get(base, [&accounts](const httplib::Request &request, httplib::Response &response) {
        try {
            sendPage(response, 200, overview(accounts, accounts.authenticate(sessionToken(request))));
        } catch (const ApiError &error) {
            sendPage(response, error.status() == 401 ? 200 : error.status(),
                     signInForm(error.status() == 401 ? QString()
                                                      : QString::fromStdString(error.what())));
        }
    });
    server.Post(base + "/login", [&accounts](const httplib::Request &request,
                                             httplib::Response &response) {
        try {
            const QString token = accounts.signInWithPassword(
                QString::fromStdString(request.get_param_value("username")),
                QString::fromStdString(request.get_param_value("password")), QString(),
                QString(), true, QString::fromStdString(request.remote_addr));
            redirectHome(response, std::string(kCookieName) + "=" + token.toStdString()
                                       + "; HttpOnly; SameSite=Strict; Path="
                                       + platform::kDashboardPath);
        } catch (const ApiError &error) {
            sendPage(response, error.status(), signInForm(QString::fromStdString(error.what())));
        }
    });
    server.Post(base + "/logout", [&accounts](const httplib::Request &request,
                                              httplib::Response &response) {
        try {
            accounts.signOut(sessionToken(request));
        } catch (const ApiError &) {
            // Signing out of a session the database cannot reach still clears the cookie.
        }
        redirectHome(response, std::string(kCookieName) + "=; Max-Age=0; HttpOnly; "
                                                          "SameSite=Strict; Path="
                         + platform::kDashboardPath);
    });
}
