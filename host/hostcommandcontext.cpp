#include "hostcommandcontext.h"

#include <cfxstring.h>

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>

HostCommandContext::HostCommandContext(const QStringList &arguments, bool interactive)
    : m_arguments(arguments)
    , m_interactive(interactive)
{
}

OdString HostCommandContext::nextArgument()
{
    return m_arguments.isEmpty() ? OdString() : CFxString(m_arguments.takeFirst()).toOdString();
}

OdString HostCommandContext::getString(const OdString &prompt, const OdString &defaultValue)
{
    if (!m_arguments.isEmpty())
        return CFxString(m_arguments.takeFirst()).toOdString();
    if (!m_interactive)
        return defaultValue;
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), QString(),
                                               CFxString(prompt).toQString(), QLineEdit::Normal,
                                               CFxString(defaultValue).toQString(), &ok);
    return ok ? CFxString(text).toOdString() : defaultValue;
}

OdString HostCommandContext::getFilePath(const OdString &prompt, const OdString &filter,
                                         bool forSaving)
{
    if (!m_arguments.isEmpty())
        return CFxString(m_arguments.takeFirst()).toOdString();
    if (!m_interactive)
        return OdString();
    const QString caption = CFxString(prompt).toQString();
    const QString filterText = CFxString(filter).toQString();
    const QString path = forSaving
        ? QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, QString(), filterText)
        : QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filterText);
    return CFxString(path).toOdString();
}

void HostCommandContext::putString(const OdString &text)
{
    m_messages.append(CFxString(text).toQString());
}

void HostCommandContext::report(OdEdCommandContext *context, const QString &text)
{
    if (context)
        context->putString(CFxString(text).toOdString());
}

bool HostCommandContext::isInteractive(const OdEdCommandContext *context)
{
    const auto *host = dynamic_cast<const HostCommandContext *>(context);
    return host && host->isInteractive();
}

QString HostCommandContext::askFile(OdEdCommandContext *context, const QString &prompt,
                                   const QString &filter, bool forSaving)
{
    return CFxString(context->getFilePath(CFxString(prompt).toOdString(),
                                          CFxString(filter).toOdString(), forSaving))
        .toQString();
}

QString HostCommandContext::askText(OdEdCommandContext *context, const QString &prompt)
{
    return CFxString(context->getString(CFxString(prompt).toOdString())).toQString().trimmed();
}

QString HostCommandContext::givenAnswer(OdEdCommandContext *context)
{
    return CFxString(context->nextArgument()).toQString();
}

QStringList HostCommandContext::givenAnswers(OdEdCommandContext *context)
{
    auto *host = dynamic_cast<HostCommandContext *>(context);
    if (!host)
        return QStringList();
    QStringList answers;
    answers.swap(host->m_arguments);
    return answers;
}
