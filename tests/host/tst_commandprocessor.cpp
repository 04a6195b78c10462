#include "commandprocessor.h"
#include "hostcommand.h"

#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odstaticrxobject.h>

#include <QtTest>

class TestCommandProcessor : public QObject
{
    Q_OBJECT

private slots:
    void macrosCancelThenRunWithAnswers()
    {
        QStringList answers;
        OdStaticRxObject<HostCommand> command("_ECHOARGS", [&answers](OdEdCommandContext *context) {
            for (int i = 0; i < 2; ++i)
                answers << QString::fromStdWString(context->getString("next").wstring());
            return 42;
        });
        odedRegCmds()->addCommand(&command);
        CommandProcessor processor;
        QCOMPARE(processor.runMacro("^C^C_EchoArgs a \"b c\""), 42);
        QCOMPARE(answers, QStringList({ "a", "b c" }));
        odedRegCmds()->removeCmd(command.groupName(), command.globalName());
    }
};

QTEST_MAIN(TestCommandProcessor)
#include "tst_commandprocessor.moc"
