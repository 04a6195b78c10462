#include "localsaverecorder.h"

#include "filedatabase.h"

bool LocalSaveRecorder::isSaveCommand(const QString &globalName)
{
    return globalName == QLatin1String("_SAVE") || globalName == QLatin1String("_SAVEAS");
}

bool LocalSaveRecorder::recordLastWrite(const QString &tenant) const
{
    return recordSave(tenant, m_lastWritten);
}

bool LocalSaveRecorder::recordSave(const QString &tenant, const QString &path)
{
    FileDatabase database(tenant);
    return database.recordLocalSave(FileDatabase::keyForPath(path));
}
