#include "approvedstate.h"

#include <widgetsnapshot.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

ApprovedState::ApprovedState(const char *testSource)
    : m_folder(QFileInfo(QString::fromUtf8(testSource)).dir().filePath(QStringLiteral("approved")))
{
}

void ApprovedState::replace(const QString &from, const QString &to)
{
    m_replacements.append({from, to});
}

void ApprovedState::replace(const QRegularExpression &pattern, const QString &to)
{
    m_patterns.append({pattern, to});
}

void ApprovedState::leaveOut(const QString &key)
{
    m_leftOut.insert(key);
}

void ApprovedState::leaveOutTimesOfThisRun()
{
    replace(QRegularExpression(QStringLiteral("(Date:|saved by \\S+ on) [^\\n]*")),
            QStringLiteral("\\1 <when>"));
    leaveOut(QStringLiteral("role17")); // the snapshot's name for the lists' time role
}

QJsonValue ApprovedState::normalized(const QJsonValue &value) const
{
    if (value.isString()) {
        QString text = value.toString();
        for (const auto &replacement : m_replacements)
            text.replace(replacement.first, replacement.second);
        for (const auto &pattern : m_patterns)
            text.replace(pattern.first, pattern.second);
        return text;
    }
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &item : value.toArray())
            array.append(normalized(item));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object;
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it) {
            if (m_leftOut.contains(it.key()))
                continue;
            if (it.key() == QLatin1String("children")) {
                // Hidden widgets are nothing a user sees; where they sit, and in which order
                // they stand among their siblings, depend on whether they were ever shown.
                QJsonArray shown;
                for (const QJsonValue &child : it.value().toArray()) {
                    if (child.toObject().value(QStringLiteral("visible")) != QJsonValue(false))
                        shown.append(normalized(child));
                }
                if (!shown.isEmpty())
                    object.insert(it.key(), shown);
                continue;
            }
            object.insert(it.key(), normalized(it.value()));
        }
        return object;
    }
    return value;
}

QByteArray ApprovedState::settledState(const QWidget *widget) const
{
    // A layout may still have work queued (a label that wraps finds its height after it
    // shows): the state counts once it stays the same while events are handled.
    const auto take = [&] {
        return QJsonDocument(normalized(WidgetSnapshot::of(widget)).toObject()).toJson();
    };
    QByteArray state = take();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kSettleMs) {
        QEventLoop quiet;
        QTimer::singleShot(kQuietMs, &quiet, &QEventLoop::quit);
        quiet.exec();
        const QByteArray again = take();
        if (again == state)
            break;
        state = again;
    }
    return state;
}

QString ApprovedState::differences(const QWidget *widget, const QString &name) const
{
    const QByteArray seen = settledState(widget);
    // Data tags make names too: "one space, by name" is kept as one-space-by-name.json.
    const QString fileName = name.toLower()
                                 .replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")),
                                          QStringLiteral("-"))
                                 .remove(QRegularExpression(QStringLiteral("^-|-$")));
    const QString approved = QDir(m_folder).filePath(fileName + QStringLiteral(".json"));
    if (qEnvironmentVariableIntValue("AUREX_APPROVE") == 1) {
        return QDir().mkpath(m_folder) && writeFile(approved, seen)
            ? QString()
            : QStringLiteral("cannot write ") + approved;
    }
    QFile file(approved);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no approved state %1 (AUREX_APPROVE=1 writes it)").arg(approved);
    if (file.readAll() == seen)
        return QString();
    QTemporaryDir scratch;
    const QString seenPath = scratch.filePath(fileName + QStringLiteral(".seen.json"));
    if (!scratch.isValid() || !writeFile(seenPath, seen))
        return QStringLiteral("the state differs from ") + approved;
    QProcess diff;
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), approved, seenPath});
    diff.waitForFinished();
    return QStringLiteral("the state differs from the approved one:\n")
        + QString::fromUtf8(diff.readAllStandardOutput());
}
