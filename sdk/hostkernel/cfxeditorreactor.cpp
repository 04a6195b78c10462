#include "cfxeditorreactor.h"

#include <odeditor.h>

void CFxEditorReactor::mainFrameCreated() { }
void CFxEditorReactor::mainFrameToBeClosed(void *) { }

void CFxEditorReactor::fireMainFrameCreated()
{
    odedEditor()->forEachReactor([](OdRxEventReactor *reactor) {
        if (auto *hostReactor = dynamic_cast<CFxEditorReactor *>(reactor))
            hostReactor->mainFrameCreated();
    });
}

void CFxEditorReactor::fireMainFrameToBeClosed(void *mainFrame)
{
    odedEditor()->forEachReactor([mainFrame](OdRxEventReactor *reactor) {
        if (auto *hostReactor = dynamic_cast<CFxEditorReactor *>(reactor))
            hostReactor->mainFrameToBeClosed(mainFrame);
    });
}
