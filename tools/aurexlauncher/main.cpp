// aurex-launcher: sets up the CAD application on a user's own computer. The user signs in to the
// platform with their password once; the platform gives a launcher cookie for as long as its
// administrator allows, and the launcher files that the module reads at start-up are written
// here, so that Lintra then signs the user in by itself.
//   aurex-launcher --server-url https://aurex.example.com [--user LOGIN] [--space NAME]

#include "launchercookierequest.h"
#include "terminalinput.h"

#include "launcherfiles.h"
#include "platformconstants.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <QUrl>

namespace {

const int kUsageExit = 2;

int fail(const QString &message, int code = 1)
{
    QTextStream(stderr) << "aurex-launcher: " << message << '\n';
    return code;
}

// The platform's origin from what the user gave: "https://host[:port]", with or without the
// server path the launcher files name.
QUrl originOf(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (!url.isValid() || !web || url.host().isEmpty())
        return QUrl();
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                        | QUrl::RemoveUserInfo);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("aurex-launcher"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Signs in to the AUREX Platform and writes the launcher files, so that Lintra started "
        "afterwards signs this user in by itself. Asks for the user name when --user is not "
        "given and for the password; when the standard input is not a terminal, they are its "
        "lines (the user name first, when it is not given)."));
    parser.addHelpOption();
    const auto option = [&parser](const char *name, const char *description, const char *value) {
        parser.addOption({QLatin1String(name), QLatin1String(description), QLatin1String(value)});
    };
    option("server-url", "The platform's address, e.g. https://aurex.example.com.", "url");
    option("user", "User name.", "login");
    option("space", "Collaborative space to start in (default: the preferred one).", "name");
    option("tenant", "Tenant (default: the platform's default tenant).", "name");
    option("days", "Days the sign-in lasts (default and most: what the platform allows).", "n");
    option("config-folder", "Folder of the launcher parameters file.", "dir");
    option("apps-folder", "Folder of the applications file.", "dir");
    parser.process(app);
    if (!parser.positionalArguments().isEmpty() || !parser.isSet(QStringLiteral("server-url")))
        parser.showHelp(kUsageExit);

    const QString serverUrl = parser.value(QStringLiteral("server-url"));
    const QUrl origin = originOf(serverUrl);
    if (origin.isEmpty()) {
        return fail(QStringLiteral("%1 is not an address of the AUREX Platform; give one such as "
                                   "https://aurex.example.com")
                        .arg(serverUrl),
                    kUsageExit);
    }
    LauncherCookieRequest::Sign sign;
    sign.tenant = parser.value(QStringLiteral("tenant"));
    sign.space = parser.value(QStringLiteral("space"));
    if (parser.isSet(QStringLiteral("days"))) {
        sign.days = parser.value(QStringLiteral("days")).toInt();
        if (sign.days <= 0)
            return fail(QStringLiteral("--days needs a positive number"), kUsageExit);
    }
    TerminalInput input;
    sign.user = parser.isSet(QStringLiteral("user"))
        ? parser.value(QStringLiteral("user"))
        : input.readLine(QStringLiteral("User name: "), true).trimmed();
    if (sign.user.isEmpty())
        return fail(QStringLiteral("no user name given"), kUsageExit);
    sign.password = input.readLine(QStringLiteral("Password for %1: ").arg(sign.user), false);
    if (sign.password.isEmpty())
        return fail(QStringLiteral("no password given"), kUsageExit);

    LauncherCookieRequest::Grant grant;
    QString error;
    if (!LauncherCookieRequest::fetch(origin, sign, &grant, &error))
        return fail(error);

    LauncherFiles::Values values;
    values.serverUrl = grant.serverUrl;
    values.cookie = grant.cookie;
    values.space = grant.space;
    values.tenant = grant.tenant;
    values.casUrl = grant.casUrl;
    values.dashboardUrl = grant.dashboardUrl;
    const QString configFolder =
        LauncherFiles::configFolder(parser.value(QStringLiteral("config-folder")));
    const QString appsFolder = LauncherFiles::appsFolder(parser.value(QStringLiteral("apps-folder")));
    if (!LauncherFiles::write(values, configFolder, appsFolder, &error))
        return fail(error);

    QTextStream out(stdout);
    out << "aurex-launcher: launcher files for " << sign.user << " written to "
        << QDir::toNativeSeparators(
               QDir(configFolder).filePath(QLatin1String(platform::kLauncherParamsFileName)))
        << " and "
        << QDir::toNativeSeparators(
               QDir(appsFolder).filePath(QLatin1String(platform::kAppsInfoFileName)))
        << '\n'
        << "aurex-launcher: Lintra signs " << sign.user << " in by itself until "
        << grant.expiresAt.toUTC().toString(Qt::ISODate)
        << "; run aurex-launcher again after that\n";
    return 0;
}
