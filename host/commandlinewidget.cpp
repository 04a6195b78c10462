#include "commandlinewidget.h"

#include "commandprocessor.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CommandLineWidget::CommandLineWidget(CommandProcessor *processor, QWidget *parent)
    : QWidget(parent)
    , m_processor(processor)
    , m_history(new QPlainTextEdit(this))
    , m_input(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CommandLine"));
    m_history->setReadOnly(true);
    m_history->setMaximumBlockCount(500);
    m_input->setPlaceholderText(tr("Type a command"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(m_history, 1);
    layout->addWidget(m_input);
    connect(m_input, &QLineEdit::returnPressed, this, &CommandLineWidget::runTypedLine);
}

void CommandLineWidget::appendMessage(const QString &text)
{
    m_history->appendPlainText(text);
}

void CommandLineWidget::runTypedLine()
{
    const QString line = m_input->text().trimmed();
    m_input->clear();
    if (line.isEmpty())
        return;
    appendMessage(QStringLiteral("Command: ") + line);
    m_processor->runLine(line, true);
}
