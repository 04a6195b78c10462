#pragma once

class QString;
class ShowAurexTaskPane;

// Tells the task pane to list the active drawing's files again after the host events that may
// change them: a drawing became active, or a host command ended that saves the drawing or
// attaches or detaches a reference, an image or a PDF, through the session's signal that the
// pane listens to. Main thread.
class TaskPaneRefresh
{
public:
    static void afterDocumentActivated(ShowAurexTaskPane *session);
    // Refreshes only after the commands above (exact names, as the host reports them).
    static void afterCommand(ShowAurexTaskPane *session, const QString &globalName);
};
