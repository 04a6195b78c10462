#pragma once

#include "workingcopy/filedatabase.h"
#include "workingcopy/filedatabasedocument.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Points every per-user folder of this process (and of the processes it starts) at home, so
// that the tests never touch the user's own configuration.
inline void useTestHome(const QString &home)
{
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/config"));
    QDir().mkpath(home + "/tmp");
    qputenv("TMPDIR", QFile::encodeName(home + "/tmp"));
    QStandardPaths::setTestModeEnabled(true);
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One attribute of every entry of the tenant's database, as another program reads the file from
// disk (not from what this process keeps of the database); empty when the file does not parse.
inline QStringList attributeOnDisk(const QString &tenant, const QString &attribute)
{
    FileDatabaseDocument written;
    QStringList values;
    if (written.parse(readAll(FileDatabase::locationFor(tenant)), nullptr)) {
        for (const XmlNode &entry : written.root().children)
            values.append(entry.attribute(attribute));
    }
    return values;
}

// Records count downloads named prefix-<n>, one use of the database each, as the download
// worker records each downloaded file. Gives why a save failed, or "".
inline QString recordDownloads(const QString &tenant, const QString &prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(prefix).arg(i);
        FileDatabase database(tenant);
        database.recordExchange("/projects/" + name + ".dwg", QString(), name,
                                "2024/01/01@00:00:00:GMT", "ACAD Drawing");
        if (!database.save())
            return database.errorString();
    }
    return QString();
}
