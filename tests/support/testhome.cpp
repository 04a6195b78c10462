#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestHome::TestHome()
{
    if (m_dir.isValid())
        QDir().mkpath(tempFolder());
}

void TestHome::applyToProcess() const
{
    qputenv("HOME", path().toUtf8());
    qputenv("XDG_CONFIG_HOME", configFolder().toUtf8());
    qputenv("XDG_DATA_HOME", dataFolder().toUtf8());
    qputenv("TMPDIR", tempFolder().toUtf8());
}

QProcessEnvironment TestHome::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", path());
    env.insert("XDG_CONFIG_HOME", configFolder());
    env.insert("XDG_DATA_HOME", dataFolder());
    env.insert("TMPDIR", tempFolder());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

bool TestHome::write(const QString &relative, const QByteArray &content) const
{
    const QString target = filePath(relative);
    QFile::remove(target);
    if (content.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool TestHome::writeLauncherParams(const QByteArray &content) const
{
    return write("config/fzcachedir/FzxAppLauncherParams.xml", content);
}

bool TestHome::writeAppsInfo(const QByteArray &content) const
{
    return write("data/fzcachedir/FzxAppsInfo.xml", content);
}
