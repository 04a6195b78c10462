#pragma once

class QString;

// Tells the task pane to list the active drawing's files again after the host events that may
// change them: a drawing became active, or a host command ended that saves the drawing or
// attaches or detaches a reference, an image or a PDF. Main thread.
class TaskPaneRefresh
{
public:
    static void afterDocumentActivated();
    // Refreshes only after the commands above (exact names, as the host reports them).
    static void afterCommand(const QString &globalName);
};
