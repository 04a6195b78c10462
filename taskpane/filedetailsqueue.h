#pragma once

#include "fileitemdetails.h"

#include "drawingset/fileentry.h"
#include "fileitems/fileitemcontext.h"

#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class FileDatabase;

// The files the task pane lists and what the last details answer says of each, worked out once
// for both its views. The views make widgets only for the files in sight; the statuses of all
// are worked out here, a file at a time, so that a widget made later (scrolled to) shows its
// status at once, and sorting by date knows every file's time. Main thread only.
class FileDetailsQueue
{
public:
    // Forgets every file and answer; context says whose files they are.
    void reset(const FileItemContext &context);
    // Lists one more file; returns its index.
    int append(const QString &localPath);
    // Keeps a details answer; every file's details are worked out again from it.
    // stale: the last answers known, the platform did not answer now; files it has no answer
    // for keep an unknown status rather than an outdated one.
    // waiting: the file database keys (lower case) of the files that wait in the outbox.
    void setAnswer(const MAPSTRCADOBJ &details, bool stale, const QSet<QString> &waiting);
    // Hands out the next file of the answer, its details worked out unless they are already,
    // and returns its index; -1 when every file was handed out or no answer has come. The
    // tenant's file database is opened into database when it is needed and was not open yet,
    // so that a caller opens it once for many files.
    int workOutNext(std::unique_ptr<FileDatabase> &database);
    // The details of the file at index, worked out now if they are not yet; null before an
    // answer has come. Opens database as workOutNext does.
    const FileItemDetails *details(int index, std::unique_ptr<FileDatabase> &database);
    // The details of a file workOutNext handed out since the last answer.
    const FileItemDetails &workedOut(int index) const { return m_files.at(index).details; }
    bool isComplete() const { return !m_hasAnswer || m_next == m_files.size(); }
    const FileItemContext &context() const { return m_context; }
    QString path(int index) const { return m_files.at(index).path; }
    int count() const { return m_files.size(); }

private:
    struct File
    {
        QString path;
        bool done = false;
        FileItemDetails details;
    };
    void workOut(File &file, std::unique_ptr<FileDatabase> &database);

    FileItemContext m_context;
    QList<File> m_files;
    MAPSTRCADOBJ m_answer;
    bool m_stale = false;
    QSet<QString> m_waiting;
    bool m_hasAnswer = false;
    int m_next = 0; // files before it were handed out
};
