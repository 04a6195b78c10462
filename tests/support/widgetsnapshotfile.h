#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// A widget snapshot written by the host (--print-widgets, _UISNAPSHOT), read back for tests.
class WidgetSnapshotFile
{
public:
    explicit WidgetSnapshotFile(const QString &path);

    bool isValid() const { return !m_json.isEmpty(); }
    QJsonObject json() const { return m_json; }
    // The object names of the windows, in the snapshot's order.
    QStringList windowNames() const;
    // The first widget or action called name, depth first; empty when there is none.
    QJsonObject find(const QString &name) const;
    // The same below one node of the snapshot.
    static QJsonObject find(const QJsonObject &node, const QString &name);

private:
    QJsonObject m_json;
};
