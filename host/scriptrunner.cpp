#include "scriptrunner.h"

#include "commandprocessor.h"
#include "uicommands.h"
#include "widgetlocator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextStream>

#include <algorithm>

namespace {

// How often a script looks again while a line runs or a wait goes on.
constexpr int kPollMilliseconds = 20;
constexpr double kDefaultWaitSeconds = 10;
const char kWaitCommand[] = "_UIWAIT";
const char kWaitGoneCommand[] = "_UIWAITGONE";
const char kWaitTextCommand[] = "_UIWAITTEXT";
const char kWaitTextGoneCommand[] = "_UIWAITTEXTGONE";
// Waits for a widget's tool tip to say a text: the task pane's status icons say it that way.
const char kWaitTipCommand[] = "_UIWAITTIP";
// Lets a given time pass, for a process outside the host to act meanwhile.
const char kDelayCommand[] = "_UISLEEP";
// The longest delay a script may ask for.
constexpr double kMaxDelaySeconds = 600;

// Whether a shown label, button, tab or command-line message of the script's windows has text
// in its text.
bool textShown(const QString &text)
{
    // "one|other": either will do, for a step that ends one way or another.
    if (text.contains(QLatin1Char('|'))) {
        const QStringList alternatives = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        return std::any_of(alternatives.cbegin(), alternatives.cend(),
                           [](const QString &alternative) { return textShown(alternative); });
    }
    for (const QWidget *window : WidgetLocator::windows()) {
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->isVisible() && WidgetLocator::shownText(label->text()).contains(text))
                return true;
        }
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (button->isVisible() && WidgetLocator::shownText(button->text()).contains(text))
                return true;
        }
        // The command line's messages, though not the commands it echoes (the wait's own
        // line among them).
        for (const QPlainTextEdit *history : window->findChildren<QPlainTextEdit *>()) {
            if (!history->isVisible() || !history->isReadOnly())
                continue;
            for (const QString &line : history->toPlainText().split(QLatin1Char('\n'))) {
                if (!line.startsWith(QLatin1String("Command: ")) && line.contains(text))
                    return true;
            }
        }
        for (const QTabBar *tabs : window->findChildren<QTabBar *>()) {
            for (int i = 0; tabs->isVisible() && i < tabs->count(); ++i) {
                if (WidgetLocator::shownText(tabs->tabText(i)).contains(text))
                    return true;
            }
        }
    }
    return false;
}

} // namespace

ScriptRunner::ScriptRunner(CommandProcessor *processor, QObject *parent)
    : QObject(parent)
    , m_processor(processor)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::step);
}

bool ScriptRunner::load(const QString &path, QString *errorMessage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *errorMessage = tr("Cannot read the script %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    m_lines.clear();
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(';')))
            m_lines.append(line);
    }
    return true;
}

void ScriptRunner::start()
{
    m_next = 0;
    m_failures = 0;
    m_done = false;
    m_timer.start(0);
}

void ScriptRunner::step()
{
    if (!m_waitName.isEmpty()) {
        pollWait();
        return;
    }
    // A line still running goes on by itself, unless it waits in a modal dialog or an open
    // menu for an answer that the next lines give.
    if (m_running > 0 && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget()) {
        m_timer.start(kPollMilliseconds);
        return;
    }
    if (m_next >= m_lines.size()) {
        // Also when the last line still waits in a modal dialog: the script has nothing more to
        // say to it.
        if (!m_done) {
            m_done = true;
            emit finished();
        }
        return;
    }
    runLine(m_lines.at(m_next++));
}

void ScriptRunner::runLine(const QString &line)
{
    m_processor->report(QStringLiteral("Command: ") + UiCommands::printableLine(line));
    const QStringList words = CommandProcessor::splitWords(line);
    if (!words.isEmpty()
        && words.first().compare(QLatin1String(kDelayCommand), Qt::CaseInsensitive) == 0) {
        bool ok = words.size() == 2;
        const double seconds = ok ? words.at(1).toDouble(&ok) : 0;
        if (!ok || seconds < 0 || seconds > kMaxDelaySeconds) {
            fail(tr("usage: %1 seconds (at most %2)")
                     .arg(QLatin1String(kDelayCommand))
                     .arg(kMaxDelaySeconds));
            m_timer.start(0);
            return;
        }
        m_timer.start(int(seconds * 1000));
        return;
    }
    if (!words.isEmpty()
        && words.first().compare(QLatin1String(kWaitTipCommand), Qt::CaseInsensitive) == 0) {
        if (words.size() < 3) {
            fail(tr("usage: %1 name text [seconds]").arg(QLatin1String(kWaitTipCommand)));
            m_timer.start(0);
            return;
        }
        m_waitGone = false;
        m_waitText = false;
        m_waitTip = words.at(2);
        startWait(QStringList{words.at(1)} + words.mid(3));
        return;
    }
    for (const char *command :
         {kWaitCommand, kWaitGoneCommand, kWaitTextCommand, kWaitTextGoneCommand}) {
        if (!words.isEmpty()
            && words.first().compare(QLatin1String(command), Qt::CaseInsensitive) == 0) {
            m_waitGone = command == kWaitGoneCommand || command == kWaitTextGoneCommand;
            m_waitText = command == kWaitTextCommand || command == kWaitTextGoneCommand;
            m_waitTip.clear();
            startWait(words.mid(1));
            return;
        }
    }
    // The next step is due while the line runs, so that it comes when the line waits in a
    // modal dialog. Once the line has returned, the step is due again only after what the line
    // left for the event loop (a menu rebuilt, a window laid out), which the next line may read.
    m_timer.start(kPollMilliseconds);
    ++m_running;
    const int status = m_processor->runLine(line, false);
    --m_running;
    m_timer.start(0);
    if (CommandProcessor::isFailure(status))
        ++m_failures;
}

void ScriptRunner::startWait(const QStringList &arguments)
{
    bool ok = arguments.size() <= 2;
    double seconds = kDefaultWaitSeconds;
    if (ok && arguments.size() == 2)
        seconds = arguments.at(1).toDouble(&ok);
    if (arguments.isEmpty() || !ok || seconds < 0) {
        fail(m_waitText ? tr("usage: %1 text [seconds]").arg(QLatin1String(waitCommand()))
                        : tr("usage: %1 name [seconds]").arg(QLatin1String(waitCommand())));
        m_timer.start(0);
        return;
    }
    m_waitName = arguments.first();
    m_waitSeconds = seconds;
    m_waitDeadline = QDeadlineTimer(qint64(seconds * 1000));
    pollWait();
}

void ScriptRunner::pollWait()
{
    QString error;
    const QObject *object = m_waitText ? nullptr : WidgetLocator::find(m_waitName, &error);
    const bool shown = m_waitText
        ? textShown(m_waitName)
        : object && WidgetLocator::isVisible(object)
            && object->property("toolTip").toString().contains(m_waitTip);
    if (shown != m_waitGone) {
        m_waitName.clear();
        m_timer.start(0);
        return;
    }
    if (m_waitDeadline.hasExpired()) {
        QString text = (m_waitGone ? tr("%1 %2: still shown after %3 seconds.")
                                   : tr("%1 %2: not shown within %3 seconds."))
                           .arg(QLatin1String(waitCommand()), m_waitName)
                           .arg(m_waitSeconds);
        if (object && !m_waitTip.isEmpty())
            text += QStringLiteral(" Its tool tip says \"%1\".")
                        .arg(object->property("toolTip").toString());
        if (!object && !m_waitGone && !m_waitText)
            text += QLatin1Char(' ') + error;
        // What a label still shown says tells why the script's writer waited in vain.
        const auto *label = m_waitGone ? qobject_cast<const QLabel *>(object) : nullptr;
        if (label && !label->text().isEmpty())
            text += QStringLiteral(" It says \"%1\".").arg(label->text());
        fail(text);
        m_waitName.clear();
        m_timer.start(0);
        return;
    }
    m_timer.start(kPollMilliseconds);
}

const char *ScriptRunner::waitCommand() const
{
    if (m_waitText)
        return m_waitGone ? kWaitTextGoneCommand : kWaitTextCommand;
    if (!m_waitTip.isEmpty())
        return kWaitTipCommand;
    return m_waitGone ? kWaitGoneCommand : kWaitCommand;
}

void ScriptRunner::fail(const QString &text)
{
    ++m_failures;
    m_processor->report(text);
}
