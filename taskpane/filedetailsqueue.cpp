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
    if (!m_hasAnswer)
        return -1;
    // Files worked out early, because their widget was made first, are passed over.
    while (m_next < m_files.size() && m_files.at(m_next).done)
        ++m_next;
    if (m_next == m_files.size())
        return -1;
    workOut(m_files[m_next], database);
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
