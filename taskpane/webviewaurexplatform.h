#pragma once

#include <QWebView>

class QDialog;

// The page the task pane shows while nobody is signed in: a welcome text and a "Log in" button
// that opens the sign-in dialog, or the set-up welcome box when the launcher names no platform
// server. The page is loaded once and kept; the task pane hides and shows the view. Owned by the
// task pane's container; main thread only.
class WebViewAurexPlatform : public QWebView
{
    Q_OBJECT

public:
    // signIn: the sign-in dialog, which outlives the view.
    explicit WebViewAurexPlatform(QDialog *signIn, QWidget *parent = nullptr);

    // Shows notice above the "Log in" button (why nobody is signed in); "" hides it.
    void setNotice(const QString &notice);

private:
    // The page is written in English; its texts are put in the module's language once loaded.
    void translatePage();
    void showNotice();

    QString m_notice;
    bool m_loaded = false;
};
