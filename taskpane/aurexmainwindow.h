#pragma once

#include "filedetailsqueue.h"

#include "drawingset/fileentry.h"
#include "drawingset/referencetreebuilder.h"

#include <QDateTime>
#include <QDialog>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QHash>
#include <QStringList>

#include <memory>

class ActiveListViewWidget;
class AttachmentScan;
class AurexPlatform;
class CADObjectDetailsThread;
class OutboxDelivery;
class ShowAurexTaskPane;
class ActiveTreeViewWidget;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTimer;
class ReferenceTree;
class SortingActions;

namespace Ui {
class AurexMainWindowClass;
}

// The task pane's window "Collaborative Sharing": the files of the active drawing with their
// status and lock against the platform, as a structured list, tiles or grid, with the user
// menu, open and save, help, filter, sort and refresh. Rebuilt when a drawing becomes active
// (DocumentActivatedSlot); the drawings' attachments and the platform details arrive from jobs
// that the window owns. Lives in the task pane's container as long as the pane; main thread
// only.
class AurexMainWindow : public QDialog
{
    Q_OBJECT

public:
    enum ViewMode { StructuredList = 1, Tiles = 2, Grid = 3 };

    // The session outlives the window; the window asks the platform it hands out.
    explicit AurexMainWindow(ShowAurexTaskPane *session, QWidget *parent = nullptr);
    ~AurexMainWindow() override;

    ViewMode viewMode() const { return m_viewMode; }
    ActiveListViewWidget *listWidget() const { return m_listWidget; }
    ActiveTreeViewWidget *treeWidget() const { return m_treeWidget; }
    // The drawing the lists show ("" when none).
    QString drawingPath() const { return m_drawingPath; }
    // The local paths handed to the last details query.
    QStringList fileList() const { return m_fileList; }
    int sortState() const { return m_sortState; }
    // The pane's user name label.
    void setUserLabel(const QString &text);
    // Every row and tile stands and shows the details of the last query: nothing is pending.
    bool isSettled() const;
    // The line that says the platform cannot be reached, or that the user works offline, or
    // how the outbox is being sent ("" while none of them is to say).
    QString connectionState() const;
    // Sends the saves of the outbox when the user goes online.
    OutboxDelivery *delivery() const { return m_delivery; }

signals:
    void SearchTextChangedSignal(const QString &text);
    // The user menu's "Log in" and "Log out".
    void signInAsked();
    void signOutAsked();

public slots:
    void actionListView_triggered();
    void actionGridView_triggered();
    void actionTreeView_triggered();
    void actionLogoutAction_triggered();
    void DocumentActivatedSlot();
    void ShowMenuItems();
    void AscendingSortSlot(int order);
    void RefreshButtonClicked();
    void HelpPushButtonClicked();
    void SearchTextChanged(const QString &text);
    void FilterResultCountSlot(int count);
    void DWGFilterPushButtonClicked(bool check);
    void DXFFilterPushButtonClicked(bool check);
    void launchHubdeckAction_triggered();
    void OpenCSPushButtonClicked();
    void SavedCSPushButtonClicked();
    void CADObjectDetailsFinishedSlot(const MAPSTRCADOBJ &details, const QString &drawingPath);

private:
    void buildStep();
    void buildViewMenu();
    void buildUserMenu();
    void rebuild();
    void attachmentsScanned();
    void showTree(const ReferenceTree &tree);
    void applyViewMode();
    void setResultCount(int count);
    void filterByType(bool check, const char *type);
    // The details query got no answer: the last known statuses stay, the line says why and
    // since when, and the pane asks again by itself, waiting longer each time.
    void platformUnreachable(const QString &reason);
    void showDetails(const MAPSTRCADOBJ &details, bool stale);
    // The user went offline or online: the lists show the files again; online, the outbox
    // goes.
    void offlineChanged(bool offline);
    // The line under the lists; problem makes it red.
    void showConnectionLine(const QString &line, bool problem = false);
    // Asks, then drops every save waiting in the outbox (the files stay as they are).
    void discardOutbox();
    // The retry timer's turn: asks for the statuses again, or, offline until the platform is
    // back, whether it answers now.
    void retry();

    Ui::AurexMainWindowClass *m_ui;
    ShowAurexTaskPane *m_session;
    ActiveListViewWidget *m_listWidget;
    ActiveTreeViewWidget *m_treeWidget;
    QStackedWidget *m_stackedWidget;
    SortingActions *m_sortingActions;
    QMenu *m_userMenu;
    QAction *m_signInOutAction;
    QAction *m_workOfflineAction;
    QAction *m_discardAction; // shown while saves wait in the outbox
    QAction *m_dashboardAction;
    QAction *m_identityAction;
    QAction *m_separator;
    QStringList m_fileList;
    QString m_drawingPath;
    ViewMode m_viewMode = StructuredList;
    int m_sortState = -1;
    QMutex m_mutex; // guards rebuilds: m_fileList, m_drawingPath and the lists' contents
    bool m_rebuildPending = false;
    bool m_detailsPending = false; // the last rebuild's details have not arrived
    // The listed files and their statuses, worked out once for both views.
    FileDetailsQueue m_files;
    // The jobs of the last rebuild; a later rebuild kills and replaces them.
    QPointer<AttachmentScan> m_scan;
    QPointer<CADObjectDetailsThread> m_query;
    std::shared_ptr<ReferenceTree> m_scannedTree; // the tree whose attachments are being read
    QTimer *m_stepTimer;           // makes rows and tiles a few at a time
    QLabel *m_connectionLabel;
    QPushButton *m_offlineOffer;   // "Work offline", while the platform cannot be reached
    // Offline since the user took that offer: online again by itself once the platform answers.
    bool m_onlineWhenBack = false;
    OutboxDelivery *m_delivery;
    // The next answer of the platform starts sending the outbox: set when the pane starts, the
    // user goes online or refreshes, and while the platform cannot be reached; not after a
    // sending that stopped, which would only be refused again.
    bool m_sendOutbox = true;
    QTimer *m_retryTimer;          // asks the platform again while it cannot be reached
    int m_retryDelayMs;
    MAPSTRCADOBJ m_knownDetails;   // the platform's last answer for each file, by name
    QDateTime m_knownAt;           // when it last answered
};
