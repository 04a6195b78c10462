#include "commandprocessor.h"

#include "hostcommandcontext.h"

#include <cfxcommand.h>
#include <cfxstring.h>
#include <odedcommandstack.h>

#include <exception>

CommandProcessor::CommandProcessor(QObject *parent)
    : QObject(parent)
{
}

QStringList CommandProcessor::splitWords(const QString &line)
{
    QStringList words;
    QString current;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words.append(current);
            current.clear();
            inWord = false;
        } else {
            current.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(current);
    return words;
}

int CommandProcessor::runLine(const QString &line, bool interactive)
{
    // Each leading ^C cancels whatever runs; nothing runs between commands here.
    QString commandLine = line.trimmed();
    while (commandLine.startsWith(QLatin1String("^C"), Qt::CaseInsensitive))
        commandLine.remove(0, 2);
    QStringList words = splitWords(commandLine);
    if (words.isEmpty())
        return 0;
    const QString name = words.takeFirst();
    HostCommandContext context(words, interactive);
    int status = 0;
    try {
        status = odedRegCmds()->executeCommand(CFxString(name).toOdString(), &context);
    } catch (const std::exception &error) {
        emit message(tr("Command %1 failed: %2").arg(name, QString::fromLocal8Bit(error.what())));
        return RTERROR;
    }
    for (const QString &text : context.messages())
        emit message(text);
    if (status == OdEdCommandStack::kUnknownCommand)
        emit message(tr("Unknown command \"%1\".").arg(name));
    return status;
}

int CommandProcessor::runMacro(const QString &macro)
{
    return runLine(macro, true);
}

void CommandProcessor::report(const QString &text)
{
    emit message(text);
}

bool CommandProcessor::isFailure(int status)
{
    return status == OdEdCommandStack::kUnknownCommand || status == RTERROR;
}
