#pragma once

#include <odedcommandcontext.h>

#include <QStringList>

// The context a host command runs in: the answers typed after the command's name (or given by a
// script line). When the answers run out, an interactive context
// asks with a dialog; a scripted one takes the default.
class HostCommandContext : public OdEdCommandContext
{
public:
    HostCommandContext(const QStringList &arguments, bool interactive);

    OdString nextArgument() override;
    OdString getString(const OdString &prompt, const OdString &defaultValue) override;
    OdString getFilePath(const OdString &prompt, const OdString &filter, bool forSaving) override;
    void putString(const OdString &text) override;

    QStringList messages() const { return m_messages; }
    // Whether the user is there to answer questions (typed or chosen from a menu), rather than
    // a script.
    bool isInteractive() const { return m_interactive; }

    // Reports text through the context, when it is the host's.
    static void report(OdEdCommandContext *context, const QString &text);
    // The answers a command asks for, as Qt text: a file (an empty path when none is given), a
    // line of text, and the next answer already given without asking.
    static QString askFile(OdEdCommandContext *context, const QString &prompt, const QString &filter,
                           bool forSaving);
    static QString askText(OdEdCommandContext *context, const QString &prompt);
    static QString givenAnswer(OdEdCommandContext *context);
    // Every answer given and not yet taken (none when the context is not the host's).
    static QStringList givenAnswers(OdEdCommandContext *context);
    static bool isInteractive(const OdEdCommandContext *context);

private:
    QStringList m_arguments;
    bool m_interactive;
    QStringList m_messages;
};
