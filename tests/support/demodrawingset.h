#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

class PlatformProbe;

// The demo's bridge drawing set as the end-to-end tests handle it: the script lines that open
// and save it in the host, its revisions on the platform, the task pane's rows in a widget
// snapshot, and the changes another program makes to its files.
class DemoDrawingSet
{
public:
    // bridge.dwg opened from the documents folder until its task pane rows have their details;
    // lastRow: the number of the last "More Action" button to wait for.
    static QStringList openLines(int lastRow);
    // The open dialog searched for the title and the first result opened.
    static QStringList searchAndOpenLines(const QString &title);
    // The save dialog opened and everything offered saved.
    static QStringList saveAllLines();
    // The revision on the platform of every file of the set, by title.
    static QMap<QString, int> revisions(const PlatformProbe &probe);
    // The same revisions, one more for each of the titles.
    static QMap<QString, int> oneMore(QMap<QString, int> revisions, const QStringList &titles);
    // The task pane's rows below the snapshot node, by file name, as a user sees them: the
    // status icon's tool tip, and the lock button's tool tip after " | " when it is shown.
    static QMap<QString, QString> paneRows(const QJsonObject &node);
    // The pane's rows in the order their "More Action" buttons are numbered, by file name.
    static QStringList paneNames(const QJsonObject &node);
    // Another program changes the file: a drawing gets a comment at its start, a picture or
    // PDF bytes after its end, which its readers pass over.
    static bool changeOutsideTheHost(const QString &path, const QByteArray &text);
    static QByteArray readAll(const QString &path);
    static QString fileDigest(const QString &path);
};
