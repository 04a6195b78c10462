#include "filedetailsqueue.h"

#include "workingcopy/filedatabase.h"

void FileDetailsQueue::reset(const FileItemContext &context)
{
    m_context = context;
    m_files.clear();
    m_answer.clear();
    m_waiting.clear();
    m_hasAnswer = false;
    m_next = 0;
}

int FileDetailsQueue::append(const QString &localPath)
{
    m_files.append({localPath, false, FileItemDetails()});
    return m_files.size() - 1;
}

void FileDetailsQueue::setAnswer(const MAPSTRCADOBJ &details, bool stale,
                                 const QSet<QString> &waiting)
{
    m_answer = details;
    m_stale = stale;
    m_waiting = waiting;
    m_hasAnswer = true;
    m_next = 0;
    for (File &file : m_files)
        file.done = false;
}

void FileDetailsQueue::workOut(File &file, std::unique_ptr<FileDatabase> &database)
{
    if (!database)
        database = std::make_unique<FileDatabase>(m_context.tenant);
    file.details = fileItemDetails(*database, file.path, m_answer, m_context.currentUser, m_stale,
                                   m_waiting);
    file.done = true;
}

int FileDetailsQueue::workOutNext(std::unique_ptr<FileDatabase> &database)
{
    if (!m_hasAnswer || m_next == m_files.size())
        return -1;
    // A file worked out early, because one view made its widget after the answer came, is
    // handed out all the same: the other view may have made its widget before.
    File &file = m_files[m_next];
    if (!file.done)
        workOut(file, database);
    return m_next++;
}

const FileItemDetails *FileDetailsQueue::details(int index,
                                                 std::unique_ptr<FileDatabase> &database)
{
    if (!m_hasAnswer)
        return nullptr;
    File &file = m_files[index];
    if (!file.done)
        workOut(file, database);
    return &file.details;
}
