#pragma once

#include "fileitemcontext.h"

#include <QMenu>
#include <QString>

#include <memory>

class DialogJobs;
class FzFileInfo;
class QAbstractButton;
class QAbstractItemView;

// The "More Action" menu of a listed file: lock or unlock it on the platform, delete it, show
// its history or get its latest version (when the context can; the latest only while the
// platform has a newer one).
// Built on the file's "More Action" button (its parent) with the file's local path or, for a
// platform search result, a copy of its record. Main thread only; a lock or unlock runs as a job
// under the "Please wait" box, which a platform slow to answer lets the user cancel.
class ListViewActionMenu : public QMenu
{
    Q_OBJECT

public:
    ListViewActionMenu(QAbstractButton *button, const FileItemContext &context,
                       const QString &path, const FzFileInfo *record = nullptr);
    ~ListViewActionMenu() override;

    // Makes the rows of view, FileItemView widgets, offer their menus as context menus: a
    // right click opens the menu of the row under the pointer, the keyboard's menu key (or
    // Shift+F10) that of the current row, under it.
    static void offerOnRows(QAbstractItemView *view);

    int lockState() const { return m_lockState; }
    // A lock or unlock is on its way.
    bool isBusy() const;
    // Stores the state and words and enables the actions for it: "Unlock" unless the file is
    // not locked, nothing to do while someone else holds the lock.
    void setLockState(int lockState);
    // Whether the platform has a newer version than the local copy: "Get Latest" is offered.
    void setNewerOnPlatform(bool newer);

    QAction *lockAction() const { return m_lockAction; }
    QAction *deleteAction() const { return m_deleteAction; }
    QAction *historyAction() const { return m_historyAction; }
    QAction *latestAction() const { return m_latestAction; }
    QAction *whereUsedAction() const { return m_whereUsedAction; }

signals:
    void EmitLockStatus(int lockState);
    void EmitListViewItemDelete(QWidget *item);

public slots:
    void LockUnlockAction();
    void CSFileDeleteAction();
    void showHistory();
    void showWhereUsed();
    void getLatest();

private:
    // Shows something of the platform file by its name and title (a history, where it is used).
    void showForFile(const std::function<void(const QString &, const QString &)> &show,
                     const char *what);
    // The file's platform name, or "" when the file database does not know the local path.
    QString platformName() const;
    // The record naming the file on the platform, or null when the file database does not know
    // the local path.
    std::unique_ptr<FzFileInfo> lockRequest() const;

    QAbstractButton *m_button;
    const FileItemContext m_context;
    QAction *m_lockAction;
    QAction *m_deleteAction;
    QAction *m_historyAction;
    QAction *m_latestAction;
    QAction *m_whereUsedAction;
    int m_lockState;
    QString m_path;
    std::unique_ptr<FzFileInfo> m_record;
    DialogJobs *m_jobs; // a child of the button, or of the menu without one
};
