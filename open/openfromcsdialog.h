#pragma once

#include "connector/recordlist.h"
#include "fileitems/fileitemcontext.h"

#include <QDialog>
#include <QList>

class AurexPlatform;
class CSSearch;
class AurexJob;
class DialogJobs;
class QAction;
class ShowAurexTaskPane;
class StructureListing;
class QListWidgetItem;
class ViewWidget;

namespace Ui {
class OpenFromCSDialogClass;
}

// "Open From Collaborative Space": searches the platform for drawings, shows the results as a
// grid or as tiles, sorts and deletes them, and opens the chosen one with everything it
// references into a download folder. Created per use without parent by the open command and
// the task pane's open button, shown without being modal once the user's spaces have come,
// deleted when closed. Main thread; the spaces, the search, the structure listing and the
// options dialog's DownloadThread are jobs, during which the please-wait box covers the dialog.
// Made while the user works offline, it searches the local copies the file database knows and
// opens the chosen one where it is.
class OpenFromCSDialog : public QDialog
{
    Q_OBJECT

public:
    enum ViewMode { GridView = 0, TilesView = 1 };

    // The session outlives the dialog, which asks the platform it hands out when the dialog is
    // made (the file database's knowledge while the user works offline).
    explicit OpenFromCSDialog(ShowAurexTaskPane *session, QWidget *parent = nullptr);
    ~OpenFromCSDialog() override;

    // Creates the dialog for the session and shows it, without blocking.
    static OpenFromCSDialog *showNew(ShowAurexTaskPane *session);

    int viewMode() const { return m_viewMode; }
    // A search or a listing runs.
    bool isBusy() const;
    // The result tiles, in the list's order.
    QList<ViewWidget *> resultWidgets() const;

signals:
    // The user's spaces are in the space chooser.
    void spacesShown();

public slots:
    void actionListView_triggered();
    void actionGridView_triggered();
    void BrowseButton_triggered();
    void OpenButton_triggered();
    void SelectCollabSpaceComboBoxItem(int index);
    void SearchButtonPressed();
    void AscendingSortSlot(int order);
    void deleteSelectedViewItemSlot(QWidget *parent);
    void showContextMenuForWidget(const QPoint &position);
    void deleteItem(QAction *action);
    void itemSelectionChanged();

private:
    void buildViewMenu();
    void searchEnded(CSSearch *search);
    void fillResults(RecordList results, const QString &previewFolder);
    void applyView();
    void setButtonEnabled(QWidget *button, bool enabled);
    // Asks for the download folder; the one chosen goes into the folder field.
    void chooseFolder();
    // Lists the structure of the chosen result, then hands it to the download-options dialog.
    void download(const FzFileInfo &result, const QString &folder, const QString &targetPath);
    // Working offline: opens the local copy a result stands for, or shows it when it is open.
    void openLocalCopy(const FzFileInfo &result);
    void structureListed(StructureListing *listing, const QString &folder,
                         const QString &targetPath);
    FileItemContext itemContext() const;
    // Deletes the results in m_deleteItems from the platform, the list and the file database:
    // asks the platform in a job, and deleteEnded() goes on with its result (true: deleted),
    // after which a box says where the files went and how they come back.
    void deleteListed();
    bool deleteEnded(AurexJob *job, const QStringList &names);
    // "Moved to the trash of SPACE: title (name), ...", with who can restore them.
    static QString trashText(const QStringList &deleted, const QString &space);
    ViewWidget *widgetOf(QListWidgetItem *item) const;
    // Orders the results as the session's sort order says.
    void applySortOrder();

    Ui::OpenFromCSDialogClass *m_ui;
    AurexPlatform *m_platform; // the session's when the dialog was made
    bool m_offline = false;
    ShowAurexTaskPane *m_session;
    DialogJobs *m_jobs;
    int m_viewMode = GridView;
    QList<QListWidgetItem *> m_deleteItems;
};
