#include "taskpanerefresh.h"

#include "session/showaurextaskpane.h"

#include <QString>

namespace {
const char *const kFileSetCommands[] = {"_SAVE", "_SAVEAS", "_ATTACHDRAWING", "_ATTACHIMAGE",
                                        "_ATTACHPDF", "_DETACHDRAWING", "_DETACHIMAGE",
                                        "_DETACHPDF"};
} // namespace

void TaskPaneRefresh::afterDocumentActivated(ShowAurexTaskPane *session)
{
    session->activeFilesChanged();
}

void TaskPaneRefresh::afterCommand(ShowAurexTaskPane *session, const QString &globalName)
{
    for (const char *name : kFileSetCommands) {
        if (globalName == QLatin1String(name)) {
            session->activeFilesChanged();
            return;
        }
    }
}
