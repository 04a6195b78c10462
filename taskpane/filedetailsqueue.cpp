#include "filedetailsqueue.h"

void FileDetailsQueue::reset(const FileItemContext &context)
{
    m_context = context;
    m_files.clear();
    m_details.clear();
    m_next = 0;
}

int FileDetailsQueue::append(const QString &localPath)
{
    m_files.append(localPath);
    return m_files.size() - 1;
}

void FileDetailsQueue::setAnswer(const QVector<FileItemDetails> &details)
{
    m_details = details;
    m_next = 0;
}

int FileDetailsQueue::next()
{
    return hasAnswer() && m_next < m_files.size() ? m_next++ : -1;
}

const FileItemDetails *FileDetailsQueue::details(int index) const
{
    return hasAnswer() ? &m_details.at(index) : nullptr;
}
