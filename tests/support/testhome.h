#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A user's home for one test: a temporary folder whose configuration, data and temporary
// sub-folders stand in for the real ones, so nothing of the real user's is read or written.
class TestHome
{
public:
    TestHome();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }
    QString configFolder() const { return filePath("config"); }
    QString dataFolder() const { return filePath("data"); }
    QString tempFolder() const { return filePath("tmp"); }

    // Makes this process use the home (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, TMPDIR).
    void applyToProcess() const;
    // The same for a child process, on top of this process's environment.
    QProcessEnvironment environment() const;

    // Writes content to a file below the home, creating its folder; empty content removes it.
    bool write(const QString &relative, const QByteArray &content) const;
    // The launcher parameter file and the applications file where the module reads them.
    bool writeLauncherParams(const QByteArray &content) const;
    bool writeAppsInfo(const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
};
