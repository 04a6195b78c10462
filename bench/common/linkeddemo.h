#pragma once

#include "lintraaurexconnectorwrapper.h"
#include "linkproxy.h"
#include "platformprocess.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

// The demo platform behind a loopback link that counts (and may slow or cut) what crosses it,
// with the connector signed in as alice through the link; for benchmarks of transfers.
struct LinkedDemo {
    QTemporaryDir dir;
    std::unique_ptr<PlatformProcess> platform;
    std::unique_ptr<LinkProxy> link;
    QString viaLink; // the server address through the link

    // Serves with --max-upload maxUploadBytes; false with the reason when it could not.
    bool start(qint64 maxUploadBytes, const char **failure)
    {
        // Settings and caches go to test folders, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        PlatformProcess::Options options;
        options.demo = true;
        options.serveArguments = QStringList{QStringLiteral("--max-upload"),
                                             QString::number(maxUploadBytes)};
        platform = std::make_unique<PlatformProcess>(options);
        if (!dir.isValid() || !platform->start()) {
            *failure = "cannot start the platform";
            return false;
        }
        link = std::make_unique<LinkProxy>(quint16(platform->port()));
        viaLink = QStringLiteral("http://127.0.0.1:%1").arg(link->port());
        auto *connector = LintraAurexConnectorWrapper::GetInstance();
        connector->SetServer(viaLink);
        if (!connector->LxGatepassLogin(QStringLiteral("alice"), QStringLiteral("alice-demo-pw"),
                                        viaLink, QString(), QStringLiteral("/cas"))) {
            *failure = "cannot sign in";
            return false;
        }
        return true;
    }
};
