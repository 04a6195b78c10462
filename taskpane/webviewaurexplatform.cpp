#include "webviewaurexplatform.h"

#include "session/launcherparams.h"
#include "support/launchmessagebox.h"

#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebFrame>
#include <QWebPage>

namespace {
const char kLoginPage[] = "qrc:/embedded/Resources/login.html";
// The page's script reaches the button's target under this name.
const char kBridgeObjectName[] = "AurexLogin";
} // namespace

WebViewAurexPlatform::WebViewAurexPlatform(QDialog *signIn, QWidget *parent)
    : QWebView(parent)
{
    setGeometry(0, 0, 321, 675);

    // Chosen once: a server that the launcher names later does not replace the welcome box, the
    // user reaches the sign-in through the menu then.
    QWidget *target = nullptr;
    if (readLauncherParams().serverUrl.isEmpty())
        target = new LaunchMessageBox(this); // a window of its own, deleted with the view
    else
        target = signIn;

    // A page's window object starts empty at every load, so the object is added each time.
    QWebFrame *frame = page()->mainFrame();
    connect(frame, &QWebFrame::javaScriptWindowObjectCleared, this, [frame, target]() {
        frame->addToJavaScriptWindowObject(QLatin1String(kBridgeObjectName), target);
    });
    connect(this, &QWebView::loadFinished, this, [this] {
        m_loaded = true;
        showNotice();
    });
    load(QUrl(QLatin1String(kLoginPage)));
    show();
}

void WebViewAurexPlatform::setNotice(const QString &notice)
{
    m_notice = notice;
    if (m_loaded)
        showNotice();
}

void WebViewAurexPlatform::showNotice()
{
    // Handed over as a JSON string, so that no text can end the script's string early.
    const QByteArray text = QJsonDocument(QJsonArray{m_notice}).toJson(QJsonDocument::Compact);
    page()->mainFrame()->evaluateJavaScript(
        QStringLiteral("showNotice(%1[0])").arg(QString::fromUtf8(text)));
}
