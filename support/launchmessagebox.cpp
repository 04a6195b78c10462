#include "launchmessagebox.h"

LaunchMessageBox::LaunchMessageBox(QWidget *parent)
    : QMessageBox(parent)
{
    setObjectName(QStringLiteral("LaunchMessageBox"));
    setWindowTitle(tr("AUREX Platform"));
    setIcon(QMessageBox::Warning);
    // Flags 5: the text can be selected with the mouse and its links followed.
    setStyleSheet(QStringLiteral(" QMessageBox { messagebox-text-interaction-flags: 5 }"));
    setText(tr("Welcome to Lintra Connection. Your setup is almost complete!\n\nTo establish the "
               "connection between Lintra and the AUREX \nPlatform, please return to the Hubdeck "
               "app. Click the Compass in the top\nleft corner of the screen and click the Lintra "
               "Connection icon. Then\nyou will be able to log in from Lintra.\n\nIf you aren't "
               "sure how to get to the Hubdeck, click the link in the email\nthat you received "
               "from Calvento titled \"AUREX Platform - \nGetting Started.\""));
}
