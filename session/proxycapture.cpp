#include "proxycapture.h"

#include <QNetworkProxy>

ShowAurexTaskPane::ProxySettings captureProxySettings(ShowAurexTaskPane *session)
{
    ShowAurexTaskPane::ProxySettings proxy = session->proxySettings();
    if (proxy.captured)
        return proxy;
    const QNetworkProxy inForce = QNetworkProxy::applicationProxy();
    proxy.host = inForce.hostName();
    proxy.port = inForce.port();
    proxy.user = inForce.user();
    proxy.password = inForce.password();
    proxy.captured = true;
    session->setProxySettings(proxy);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    return proxy;
}
