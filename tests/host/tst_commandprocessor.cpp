#include "commandprocessor.h"
#include "hostcommand.h"
#include "scriptrunner.h"

#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odstaticrxobject.h>

#include <QSignalSpy>
#include <QtTest>

class TestCommandProcessor : public QObject
{
    Q_OBJECT

private slots:
    void splitWords_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "_ATTACHIMAGE logo.png"
                               << QStringList { "_ATTACHIMAGE", "logo.png" };
        QTest::newRow("quoted blanks") << "_OPEN \"/tmp/my drawings/a.dwg\" x"
                                       << QStringList { "_OPEN", "/tmp/my drawings/a.dwg", "x" };
        QTest::newRow("empty quotes") << "_X \"\"" << QStringList { "_X", "" };
        QTest::newRow("blanks only") << "   " << QStringList {};
    }

    void splitWords()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(CommandProcessor::splitWords(line), words);
    }

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

        QSignalSpy messages(&processor, &CommandProcessor::message);
        QCOMPARE(processor.runLine("_ECHOARGS", false), OdEdCommandStack::kUnknownCommand);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(0).toString(), QString("Unknown command \"_ECHOARGS\"."));
    }

    void scriptThatCannotBeReadSaysWhy()
    {
        CommandProcessor processor;
        ScriptRunner runner(&processor);
        QString error;
        QVERIFY(!runner.load("/nonexistent/steps.scr", &error));
        QVERIFY(error.contains("/nonexistent/steps.scr"));
    }
};

QTEST_MAIN(TestCommandProcessor)
#include "tst_commandprocessor.moc"
