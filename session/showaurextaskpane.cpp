#include "showaurextaskpane.h"


ShowAurexTaskPane *ShowAurexTaskPane::instance()
{
    // Lives until the process ends, like the widgets it refers to.
    static ShowAurexTaskPane *session = new ShowAurexTaskPane;
    return session;
}

void ShowAurexTaskPane::refreshTaskPane()
{
    emit taskPaneRefreshRequested();
}

void ShowAurexTaskPane::requestSaveDialog()
{
    emit saveDialogRequested();
}
