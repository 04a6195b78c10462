#include "widgetsnapshotfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

WidgetSnapshotFile::WidgetSnapshotFile(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_json = QJsonDocument::fromJson(file.readAll()).object();
}

QStringList WidgetSnapshotFile::windowNames() const
{
    QStringList names;
    for (const QJsonValue &window : m_json.value("windows").toArray())
        names << window.toObject().value("objectName").toString();
    return names;
}

QJsonObject WidgetSnapshotFile::find(const QString &name) const
{
    return find(m_json, name);
}

QJsonObject WidgetSnapshotFile::find(const QJsonObject &node, const QString &name)
{
    if (node.value("objectName").toString() == name)
        return node;
    for (const char *key : { "windows", "children", "actions" }) {
        for (const QJsonValue &child : node.value(key).toArray()) {
            const QJsonObject found = find(child.toObject(), name);
            if (!found.isEmpty())
                return found;
        }
    }
    return QJsonObject();
}
