#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

// Asks the platform for a launcher cookie with a user name and password, and for what the
// launcher files need beside it. One blocking request, made on a command-line tool's main
// thread; errors are one line for the user, naming no credential.
class LauncherCookieRequest
{
public:
    struct Sign {
        QString user;
        QString password;
        QString tenant;
        QString space;
        int days = 0; // 0: as long as the administrator allows
    };
    struct Grant {
        QString cookie;
        QDateTime expiresAt;
        QString serverUrl;
        QString casUrl;
        QString dashboardUrl;
        QString tenant;
        QString space;
    };

    // origin: "https://host[:port]" of the platform.
    static bool fetch(const QUrl &origin, const Sign &sign, Grant *grant, QString *error);
};
