#pragma once

#include "fileitemdetails.h"

#include "fileitems/fileitemcontext.h"

#include <QList>
#include <QString>
#include <QVector>

// The files the task pane lists and what the last answer says of each, for both its views. The
// views make widgets only for the files in sight; every file's details are known once the
// answer has come, so a widget made later (scrolled to) shows its status at once, and each file
// is handed out once per answer, so that both views learn it whenever they made their widget.
// Main thread only.
class FileDetailsQueue
{
public:
    // Forgets every file and answer; context says whose files they are.
    void reset(const FileItemContext &context);
    // Lists one more file; returns its index.
    int append(const QString &localPath);
    // Keeps what an answer says of each file, in the order they were listed.
    void setAnswer(const QVector<FileItemDetails> &details);
    // The index of the next file of the answer not handed out yet; -1 when every file was
    // handed out or no answer has come.
    int next();
    // The details of the file at index; null before an answer has come.
    const FileItemDetails *details(int index) const;
    bool isComplete() const { return !hasAnswer() || m_next == m_files.size(); }
    const FileItemContext &context() const { return m_context; }
    QString path(int index) const { return m_files.at(index); }
    int count() const { return m_files.size(); }

private:
    bool hasAnswer() const { return m_details.size() == m_files.size() && !m_files.isEmpty(); }

    FileItemContext m_context;
    QStringList m_files;
    QVector<FileItemDetails> m_details; // by index, once an answer has come
    int m_next = 0;                     // files before it were handed out
};
