#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

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

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}
