#pragma once

#include <QString>

#include <functional>

class FileDatabase;
class WorkingCopy;

// Keeps the file database in step with the saves the user makes in the host: the host first
// reports the name it wrote a drawing under, then the end of the command that saved it. Owned
// by the module object; main thread.
class LocalSaveRecorder
{
public:
    // The host wrote a drawing under fileName; the latest name is the one a save records.
    void fileWritten(const QString &fileName) { m_lastWritten = fileName; }

    // Whether the host command of that global name saves the active drawing (exact names, as
    // the host reports them).
    static bool isSaveCommand(const QString &globalName);

    // Marks the file written last as changed locally in the working copy's file database, on a
    // job; recorded follows on the main thread. A file the database does not know stays
    // unknown: it is new to the platform anyway.
    void recordLastWrite(WorkingCopy *workingCopy, std::function<void()> recorded) const;
    // The change of the file database that records a save of path.
    static std::function<void(FileDatabase &)> savedEdit(const QString &path);

private:
    QString m_lastWritten;
};
