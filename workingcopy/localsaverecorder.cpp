#include "localsaverecorder.h"

#include "filedatabase.h"
#include "workingcopy.h"

bool LocalSaveRecorder::isSaveCommand(const QString &globalName)
{
    return globalName == QLatin1String("_SAVE") || globalName == QLatin1String("_SAVEAS");
}

void LocalSaveRecorder::recordLastWrite(WorkingCopy *workingCopy,
                                        std::function<void()> recorded) const
{
    workingCopy->change(savedEdit(m_lastWritten), std::move(recorded));
}

std::function<void(FileDatabase &)> LocalSaveRecorder::savedEdit(const QString &path)
{
    const QString key = FileDatabase::keyForPath(path);
    return [key](FileDatabase &database) { database.recordLocalSave(key); };
}
