#pragma once

#include "activedrawing.h"

#include "drawingset/fileentry.h"

#include <QDialog>
#include <QMutex>
#include <QString>
#include <QStringList>

class ActiveListViewWidget;
class ActiveTreeViewWidget;
class ConnectionMonitor;
class LiveUpdates;
class NewerVersionBar;
class OutboxDelivery;
class ShowAurexTaskPane;
class TaskPaneModel;
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
// menu, open and save, help, filter, sort and refresh. When a drawing becomes active
// (DocumentActivatedSlot) it hands the drawing's reference tree to its TaskPaneModel, which
// knows the files and their statuses, and shows what the model and its ConnectionMonitor say.
// Lives in the task pane's container as long as the pane; main thread only.
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
    QString drawingPath() const;
    // The local paths handed to the last details query.
    QStringList fileList() const;
    TaskPaneModel *model() const { return m_model; }
    ConnectionMonitor *monitor() const { return m_monitor; }
    LiveUpdates *liveUpdates() const { return m_live; }
    NewerVersionBar *newerVersionBar() const { return m_newerBar; }
    // Where the lists find the active drawing: the host's unless set.
    void setActiveDrawingSource(ActiveDrawingSource source) { m_activeDrawing = std::move(source); }
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

protected:
    // A docked pane, not a dialog: Escape does not hide it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildStep();
    void buildViewMenu();
    void buildUserMenu();
    void buildConnectionLine();
    // Hands the host's active drawing to the model.
    void rebuild();
    // The model listed the files: the views make their items.
    void showTree(const ReferenceTree &tree);
    // An answer came: the views show the statuses as they are worked out.
    void showAnswer();
    void applyViewMode();
    // Orders both views as the session's sort order says.
    void applySortOrder();
    void setResultCount(int count);
    void filterByType(bool check, const char *type);
    // Shows what the connection monitor says.
    void showConnectionState();
    // Asks, then drops every save waiting in the outbox (the files stay as they are).
    void discardOutbox();

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
    ActiveDrawingSource m_activeDrawing = hostActiveDrawing;
    ViewMode m_viewMode = StructuredList;
    bool m_sortDue = false; // an order by date waits for the files' modification times
    QMutex m_mutex; // guards rebuilds
    bool m_rebuildPending = false;
    // The listed files and their statuses, worked out once for both views.
    TaskPaneModel *m_model;
    OutboxDelivery *m_delivery;
    ConnectionMonitor *m_monitor;
    NewerVersionBar *m_newerBar;
    LiveUpdates *m_live;
    QTimer *m_stepTimer;           // makes rows and tiles a few at a time
    QLabel *m_connectionLabel;
    QPushButton *m_offlineOffer;   // "Work offline", while the platform cannot be reached
};
