#pragma once

#include "filedetailsqueue.h"

#include "drawingset/fileentry.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AttachmentScan;
struct PlatformEvent;
class CADObjectDetailsThread;
class FileStatusScan;
class OdDbHostAppServices;
class QDeadlineTimer;
class ReferenceTree;
class ShowAurexTaskPane;

// The task pane's files and what is known of them, apart from any widget: the active drawing's
// reference tree (its referenced drawings read from disk for their images and PDFs by a job),
// the platform's details answer (asked by a job) or, when none comes, the last one known, the
// saves waiting in the outbox, and each file's status and lock as worked out from them and the
// file database. The pane's views show what it says: a row made at any time asks it. Main
// thread only.
class TaskPaneModel : public QObject
{
    Q_OBJECT

public:
    // The session outlives the model; the model asks the platform the session hands out.
    explicit TaskPaneModel(ShowAurexTaskPane *session, QObject *parent = nullptr);
    ~TaskPaneModel() override;

    // Lists the files of tree: the active drawing's, built on the main thread without reading
    // its referenced drawings, which services read for their images and PDFs first (null:
    // none are read). Then asks the platform. The jobs of an earlier listing are dropped.
    void show(std::shared_ptr<ReferenceTree> tree, OdDbHostAppServices *services);
    // Shows the history of a platform file: what the rows' menus offer for each listed file
    // from the next listing on.
    void setHistoryViewer(std::function<void(const QString &name, const QString &title)> show)
    {
        m_showHistory = std::move(show);
    }
    // Shows which drawings use a platform file: what the rows' menus offer for each listed file
    // from the next listing on.
    void setWhereUsedViewer(std::function<void(const QString &name, const QString &title)> show)
    {
        m_showWhereUsed = std::move(show);
    }
    // Brings the latest version of a platform file down: what the rows' menus offer for each
    // listed file that the platform has a newer version of, from the next listing on.
    void setLatestGetter(std::function<void(const QString &name)> get)
    {
        m_getLatest = std::move(get);
    }
    // The drawing listed last ("" when none).
    QString drawingPath() const { return m_drawingPath; }
    // The local paths of the last details query.
    QStringList fileList() const { return m_fileList; }
    // The listed files, in the tree's order, with their statuses once an answer has come.
    FileDetailsQueue &files() { return m_files; }
    // Hands the files of the last answer to show (its index and details, each file once per
    // answer), one at a time, until deadline has expired or none is left.
    void handOut(const QDeadlineTimer &deadline,
                 const std::function<void(int, const FileItemDetails &)> &show);
    // The files are listed, an answer (or the last known) has come, its statuses are worked
    // out and every file was handed out.
    bool isSettled() const;

    // A colleague's save, lock, unlock, restore or delete, heard from the platform: when it
    // concerns a listed file, that file's details change as it says and the statuses are
    // worked out again (answered() follows); returns whether it did.
    bool applyEvent(const PlatformEvent &event);
    // The local path of a listed file by its platform name ("" when none is listed).
    QString pathOfName(const QString &platformName) const;

public slots:
    // The platform's details of drawingPath's files; changes nothing unless drawingPath is
    // the drawing listed last.
    void detailsArrived(const MAPSTRCADOBJ &details, const QString &drawingPath);

signals:
    // The files of tree are listed, none with a status yet.
    void listed(const ReferenceTree &tree);
    // A new answer, fresh or the last known: every status is to be worked out again.
    void answered();
    // The platform (or, offline, the file database's knowledge) answered the details query;
    // after answered().
    void platformAnswered();
    // The details query got no answer at all: the statuses last known stand; after answered().
    void platformUnreachable(const QString &reason);

private:
    void attachmentsScanned();
    void list(const ReferenceTree &tree);
    void query();
    // Runs what an answer does once the files are listed: at once, or after the listing.
    void afterListing(const std::function<void()> &answer);
    // Works out every file's status from details on a job; answered() follows, then what
    // then says about the platform (so the connection line never runs ahead of the rows).
    void setAnswer(const MAPSTRCADOBJ &details, bool stale, const std::function<void()> &then);

    ShowAurexTaskPane *m_session;
    FileDetailsQueue m_files;
    QString m_drawingPath;
    QStringList m_fileList;
    bool m_pending = false; // the last listing's statuses have not come
    // The jobs of the last listing; a later listing kills and replaces them.
    QPointer<AttachmentScan> m_scan;
    QPointer<CADObjectDetailsThread> m_query;
    QPointer<FileStatusScan> m_statuses;
    std::shared_ptr<ReferenceTree> m_scannedTree; // the tree whose attachments are being read
    bool m_listed = false; // the last listing's files are listed
    std::function<void()> m_afterListing; // an answer that came before they were
    MAPSTRCADOBJ m_knownDetails; // the platform's last answer for each file, by name
    MAPSTRCADOBJ m_answer; // the details the statuses were last worked out from
    bool m_answerStale = false;
    std::function<void(const QString &, const QString &)> m_showHistory;
    std::function<void(const QString &, const QString &)> m_showWhereUsed;
    std::function<void(const QString &)> m_getLatest;
};
