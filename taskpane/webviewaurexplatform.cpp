#include "webviewaurexplatform.h"

#include "session/launcherparams.h"
#include "support/launchmessagebox.h"

#include <QDialog>
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
    load(QUrl(QLatin1String(kLoginPage)));
    show();
}
