#pragma once

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <QSet>
#include <QString>

class QWidget;

// What a user sees of one window, compared whole with the state approved for it: a JSON file
// under approved/ beside the test's sources, with every shown widget's class, name, enabled
// state, geometry, texts, tool tips and rows, and every action of its menus. A changed text, a tool tip left out, a
// button laid out elsewhere or a row too many all show, in one diff.
//
// AUREX_APPROVE=1 in the environment writes the states seen instead of comparing them; read
// each one as its user would before committing it.
class ApprovedState
{
public:
    // The states approved for the test whose source file is testSource (by default, the
    // caller's).
    explicit ApprovedState(const char *testSource = __builtin_FILE());

    // Every occurrence of from in the state's strings reads as to: a temporary folder, say.
    void replace(const QString &from, const QString &to);
    // The same for every match of a pattern: the times of files made as the test runs.
    void replace(const QRegularExpression &pattern, const QString &to);
    // Values under this key are left out wherever they stand (times kept as numbers).
    void leaveOut(const QString &key);
    // The times of files and versions made as the test runs read as "<when>": in details
    // texts, version stories, and the lists' modification times.
    void leaveOutTimesOfThisRun();
    // Empty when the widget shows the state approved under name; else what differs, as a
    // unified diff of the approved state and the one seen.
    QString differences(const QWidget *widget, const QString &name) const;

private:
    // How long a window may take to settle, and how long events are handled between looks.
    static constexpr int kSettleMs = 5000;
    static constexpr int kQuietMs = 50;

    QJsonValue normalized(const QJsonValue &value) const;
    // The widget's normalized state as JSON, once it no longer changes.
    QByteArray settledState(const QWidget *widget) const;

    QString m_folder;
    QList<QPair<QString, QString>> m_replacements;
    QList<QPair<QRegularExpression, QString>> m_patterns;
    QSet<QString> m_leftOut;
};
