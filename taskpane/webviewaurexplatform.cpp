#include "webviewaurexplatform.h"

#include "session/launcherparams.h"
#include "support/launchmessagebox.h"

#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebElement>
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
        translatePage();
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

void WebViewAurexPlatform::translatePage()
{
    // By element id: the page's texts, with the line breaks that fit them to the pane.
    const struct
    {
        const char *id;
        const char *text;
    } texts[] = {
        { "welcome", QT_TR_NOOP("Welcome to <br> Lintra <br >powered by AUREX") },
        { "introduction", QT_TR_NOOP("This add-in lets you connect to the<br>AUREX Platform where "
                                     "you can") },
        { "shareFeature",
          QT_TR_NOOP("Share Lintra files in <br> cloud-based Storra <br>Collaborative Space") },
        { "collaborateFeature",
          QT_TR_NOOP("Collaborate and share ideas in <br>Murmly Communities.") },
        { "updatesFeature", QT_TR_NOOP("Find recent updates in the Hubdeck.") },
        { "loginButton", QT_TR_NOOP("Log in") },
    };
    QWebFrame *frame = page()->mainFrame();
    for (const auto &entry : texts) {
        QWebElement element = frame->findFirstElement(QLatin1Char('#') + QLatin1String(entry.id));
        if (!element.isNull())
            element.setInnerXml(tr(entry.text));
    }
}
