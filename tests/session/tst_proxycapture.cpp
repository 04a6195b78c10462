// The proxy the host set for the application, kept for the connector while the module's own
// connections go direct.

#include "session/proxycapture.h"

#include <platformdouble.h>

#include <QNetworkProxy>
#include <QtTest>

class TestProxyCapture : public QObject
{
    Q_OBJECT

private slots:
    // The proxy in force at the first sign-in is what the connector gets then and at every
    // later sign-in, although the application goes direct from the first one on.
    void theFirstProxyIsKeptForEverySignIn()
    {
        PlatformDouble platform;
        ShowAurexTaskPane session(&platform);
        const QNetworkProxy before = QNetworkProxy::applicationProxy();
        const auto restore = qScopeGuard([&before] { QNetworkProxy::setApplicationProxy(before); });
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, "proxy.example", 3128, "ann", "secret"));
        QStringList given;
        for (int signIn = 0; signIn < 2; ++signIn) {
            const ShowAurexTaskPane::ProxySettings proxy = captureProxySettings(&session);
            given << QString("%1:%2 %3 %4")
                         .arg(proxy.host)
                         .arg(proxy.port)
                         .arg(proxy.user, proxy.password);
        }
        const QString hostSet = "proxy.example:3128 ann secret";
        QCOMPARE(given, QStringList({hostSet, hostSet}));
        QCOMPARE(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);
    }
};

QTEST_GUILESS_MAIN(TestProxyCapture)
#include "tst_proxycapture.moc"
