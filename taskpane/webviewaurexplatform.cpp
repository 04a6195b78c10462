#include "webviewaurexplatform.h"

#include "session/launcherparams.h"
#include "support/launchmessagebox.h"

#include <QDialog>
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
    connect(this, &QWebView::loadFinished, this, &WebViewAurexPlatform::translatePage);
    load(QUrl(QLatin1String(kLoginPage)));
    show();
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
