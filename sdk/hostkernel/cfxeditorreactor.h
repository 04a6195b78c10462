#pragma once

#include "hostkernelexport.h"

#include <odedcommandstackreactor.h>
#include <odedlispenginereactor.h>
#include <odeditorreactor.h>

// The host's editor reactor: the drawing libraries' editor, command and evaluator notifications
// plus the host's own about its main window. Register it with odedEditor()->addReactor.
class HOSTKERNEL_EXPORT CFxEditorReactor : public OdEditorReactor,
                                            public OdEdCommandStackReactor,
                                            public OdEdLispEngineReactor
{
public:
    // The main window exists and shows its menus.
    virtual void mainFrameCreated();
    // The main window is about to close: modules take back what they added to its menus and
    // ribbon. The argument is the main window.
    virtual void mainFrameToBeClosed(void *mainFrame);

    // Sent by the host to every CFxEditorReactor registered with the editor.
    static void fireMainFrameCreated();
    static void fireMainFrameToBeClosed(void *mainFrame);
};
