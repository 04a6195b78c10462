#pragma once

#include <QHash>
#include <QMainWindow>

class CFxUiCustomizationManager;
class CommandLineWidget;
class CommandProcessor;
class DrawingView;
class HostDocument;
class HostDocumentManager;
class MenuBarBuilder;
class RibbonBar;
class QTabWidget;

// The host's main window: menu bar and ribbon drawn from the customization model, documents in
// tabs, the command line docked at the bottom, module panes docked at the sides.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(CFxUiCustomizationManager *ui, HostDocumentManager *documents,
               CommandProcessor *processor, QWidget *parent = nullptr);
    ~MainWindow() override;

    CommandLineWidget *commandLine() const { return m_commandLine; }
    // The view of the drawing in the current tab, or null.
    DrawingView *currentView() const;
    // Whether closing asks to save modified drawings (not when a script closes the window).
    void setConfirmClose(bool confirm) { m_confirmClose = confirm; }

signals:
    // The window is closing; whoever listens takes back what it added before it goes.
    void aboutToClose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void scheduleUiRebuild();
    void rebuildUi();
    void addDocumentTab(HostDocument *document);
    void removeDocumentTab(HostDocument *document);
    void showCurrentDocument(HostDocument *document);
    void updateDocumentTab(HostDocument *document);
    // Asks whether to save modified drawings; false when the user cancels.
    bool saveModifiedDocuments();

    CFxUiCustomizationManager *m_ui;
    HostDocumentManager *m_documents;
    MenuBarBuilder *m_menuBuilder;
    RibbonBar *m_ribbon;
    QTabWidget *m_tabs;
    CommandLineWidget *m_commandLine;
    QHash<HostDocument *, QWidget *> m_views;
    bool m_rebuildPending = false;
    bool m_closing = false;
    bool m_confirmClose = true;
};
