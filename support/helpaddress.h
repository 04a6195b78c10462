#pragma once

#include <QLocale>
#include <QUrl>

// The online help page for collaborative sharing, in the host's language.
class HelpAddress
{
public:
    // The task pane's address and the save dialog's, which differ by a blank before "&V".
    enum Variant { TaskPane, SaveDialog };

    static QUrl build(Variant variant, int hostLanguage,
                      const QLocale &systemLocale = QLocale::system());
    // The address for the language the host runs in.
    static QUrl forHost(Variant variant);
    // Opens the host's address with the desktop's browser; the command line says so when none
    // opens it.
    static void open(Variant variant);
};
