#pragma once

#include <QWidget>

class CommandProcessor;
class QLineEdit;
class QPlainTextEdit;

// The command line: what commands printed above, the line to type into below. Enter runs the
// line through the command processor.
class CommandLineWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CommandLineWidget(CommandProcessor *processor, QWidget *parent = nullptr);

    void appendMessage(const QString &text);

private:
    void runTypedLine();

    CommandProcessor *m_processor;
    QPlainTextEdit *m_history;
    QLineEdit *m_input;
};
