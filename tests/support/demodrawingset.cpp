#include "demodrawingset.h"

#include "platformprobe.h"
#include "widgetsnapshotfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>

namespace {

void collectRows(const QJsonObject &node, QMap<QString, QString> *rows, QStringList *names)
{
    if (node.value("objectName").toString() == "ImageViewDialog") {
        const QString name = WidgetSnapshotFile::find(node, "NameLabel").value("text").toString();
        names->append(name);
        const QJsonObject lock = WidgetSnapshotFile::find(node, "LockButton");
        QString row = WidgetSnapshotFile::find(node, "StatusLabel").value("toolTip").toString();
        if (lock.value("visible").toBool())
            row += " | " + lock.value("toolTip").toString();
        // A file referenced twice stands twice with the same state; the first one is enough.
        if (!rows->contains(name))
            rows->insert(name, row);
        return;
    }
    for (const QJsonValue &child : node.value("children").toArray())
        collectRows(child.toObject(), rows, names);
}

} // namespace

QStringList DemoDrawingSet::openLines(int lastRow)
{
    return {"_OPEN Documents/bridge.dwg",
            QString("_UIWAIT moreActionPushButton[%1] 90").arg(lastRow)};
}

QStringList DemoDrawingSet::searchAndOpenLines(const QString &title)
{
    return {"_AurexOpen", "_UIWAIT OpenFromCSDialogClass 30", "_UISET SearchLineEditBox " + title,
            "_UICLICK searchButton", "_UIWAIT ViewWidget[0] 30", "_UISELECT listWidget 0",
            "_UICLICK openButton"};
}

QStringList DemoDrawingSet::saveAllLines()
{
    return {"_AurexSave", "_UIWAIT SaveToCSDialog 60", "_UICLICK SavePushButton",
            "_UIWAITGONE SaveToCSDialog 90"};
}

QMap<QString, int> DemoDrawingSet::revisions(const PlatformProbe &probe)
{
    QMap<QString, int> revision;
    for (const char *title : {"bridge.dwg", "deck.dwg", "deck-photo.png", "rebar.dxf",
                              "piers.dxf", "logo.png", "load-table.pdf", "site-photo.png"})
        revision.insert(title, probe.objectTitled(title).value("revision").toString().toInt());
    return revision;
}

QMap<QString, int> DemoDrawingSet::oneMore(QMap<QString, int> revisions,
                                           const QStringList &titles)
{
    for (const QString &title : titles)
        ++revisions[title];
    return revisions;
}

QMap<QString, QString> DemoDrawingSet::paneRows(const QJsonObject &node)
{
    QMap<QString, QString> rows;
    QStringList names;
    collectRows(node, &rows, &names);
    return rows;
}

QStringList DemoDrawingSet::paneNames(const QJsonObject &node)
{
    QMap<QString, QString> rows;
    QStringList names;
    collectRows(node, &rows, &names);
    return names;
}

bool DemoDrawingSet::changeOutsideTheHost(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = file.readAll();
    if (!path.endsWith(".dxf") && !path.endsWith(".dwg"))
        return file.write(text) == text.size();
    return file.seek(0) && file.write("999\n" + text + '\n' + bytes) > bytes.size();
}

QByteArray DemoDrawingSet::readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString DemoDrawingSet::fileDigest(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256).toHex();
}
