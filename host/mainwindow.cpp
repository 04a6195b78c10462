#include "mainwindow.h"

#include "commandlinewidget.h"
#include "commandprocessor.h"
#include "drawingview.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "menubarbuilder.h"
#include "ribbonbar.h"

#include <cfxuicustomizationmanager.h>

#include <QCloseEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(CFxUiCustomizationManager *ui, HostDocumentManager *documents,
                       CommandProcessor *processor, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(ui)
    , m_documents(documents)
    , m_tabs(new QTabWidget)
{
    setObjectName(QStringLiteral("LintraMainWindow"));
    setWindowTitle(tr("Lintra"));
    // 1280 x 800 at the usual font of about 7 pixels a character; larger with larger fonts,
    // so that panes and drawing keep their room when the user's fonts are scaled up.
    const qreal scale = qMax(1.0, fontMetrics().averageCharWidth() / 7.0);
    resize(qRound(1280 * scale), qRound(800 * scale));

    const auto runner = [processor](const QString &macro) { processor->runMacro(macro); };
    m_menuBuilder = new MenuBarBuilder(ui, runner);
    m_ribbon = new RibbonBar(ui, runner);

    m_tabs->setObjectName(QStringLiteral("DocumentTabs"));
    m_tabs->setTabsClosable(true);
    m_tabs->setDocumentMode(true);
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_ribbon);
    layout->addWidget(m_tabs, 1);
    setCentralWidget(central);

    m_commandLine = new CommandLineWidget(processor);
    auto *commandDock = new QDockWidget(tr("Command Line"), this);
    commandDock->setObjectName(QStringLiteral("CommandLineDock"));
    commandDock->setWidget(m_commandLine);
    commandDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, commandDock);
    // The input line and the last six lines written: a command's outcome stays in view while
    // a few more commands run.
    resizeDocks({ commandDock }, { 9 * fontMetrics().lineSpacing() + 24 }, Qt::Vertical);
    connect(processor, &CommandProcessor::message, m_commandLine, &CommandLineWidget::appendMessage);
    statusBar();

    connect(ui, &CFxUiCustomizationManager::changed, this, &MainWindow::scheduleUiRebuild);
    connect(ui, &CFxUiCustomizationManager::menusRefreshed, this, &MainWindow::rebuildUi);
    connect(documents, &HostDocumentManager::documentAdded, this, &MainWindow::addDocumentTab);
    connect(documents, &HostDocumentManager::documentRemoved, this, &MainWindow::removeDocumentTab);
    connect(documents, &HostDocumentManager::currentDocumentChanged, this,
            &MainWindow::showCurrentDocument);
    connect(documents, &HostDocumentManager::documentChanged, this, &MainWindow::updateDocumentTab);
    connect(documents, &HostDocumentManager::openFailed, this,
            [this](const QString &path, const QString &reason) {
                m_commandLine->appendMessage(tr("Cannot open %1: %2").arg(path, reason));
            });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto *view = qobject_cast<DrawingView *>(m_tabs->widget(index)))
            m_documents->ActivateDocument(view->document());
    });
    // Closing a tab is the close command on that drawing: it asks about unsaved changes and
    // tells the modules like any command.
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, [this, processor](int index) {
        if (auto *view = qobject_cast<DrawingView *>(m_tabs->widget(index))) {
            m_documents->ActivateDocument(view->document());
            processor->runMacro(QStringLiteral("^C^C_CLOSE"));
        }
    });
    rebuildUi();
}

MainWindow::~MainWindow()
{
    delete m_menuBuilder;
}

DrawingView *MainWindow::currentView() const
{
    return qobject_cast<DrawingView *>(m_tabs->currentWidget());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_closing && m_confirmClose && !saveModifiedDocuments()) {
        event->ignore();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        emit aboutToClose();
    }
    event->accept();
}

void MainWindow::scheduleUiRebuild()
{
    // Modules change the model element by element; redraw once they are done.
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, &MainWindow::rebuildUi);
}

void MainWindow::rebuildUi()
{
    m_rebuildPending = false;
    m_menuBuilder->rebuild(menuBar());
    m_ribbon->rebuild();
}

void MainWindow::addDocumentTab(HostDocument *document)
{
    auto *view = new DrawingView(document);
    m_views.insert(document, view);
    const QSignalBlocker blocker(m_tabs);
    m_tabs->addTab(view, document->title());
    m_tabs->setTabToolTip(m_tabs->indexOf(view), document->path());
}

void MainWindow::removeDocumentTab(HostDocument *document)
{
    QWidget *view = m_views.take(document);
    if (!view)
        return;
    const QSignalBlocker blocker(m_tabs);
    m_tabs->removeTab(m_tabs->indexOf(view));
    delete view;
}

void MainWindow::updateDocumentTab(HostDocument *document)
{
    auto *view = qobject_cast<DrawingView *>(m_views.value(document));
    if (!view)
        return;
    const int index = m_tabs->indexOf(view);
    m_tabs->setTabText(index, document->title() + (document->isModified() ? QStringLiteral(" *") : QString()));
    m_tabs->setTabToolTip(index, document->path());
    view->refresh();
}

bool MainWindow::saveModifiedDocuments()
{
    for (int i = 0; i < m_documents->GetDocumentCount(); ++i) {
        auto *document = static_cast<HostDocument *>(m_documents->GetDocumentAt(i));
        if (!document->isModified())
            continue;
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, tr("Exit"), tr("Save the changes to %1?").arg(document->title()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel)
            return false;
        QString error;
        if (answer == QMessageBox::Save && !document->saveAs(document->path(), &error)) {
            QMessageBox::warning(this, tr("Exit"), tr("Cannot save %1: %2").arg(document->path(), error));
            return false;
        }
    }
    return true;
}

void MainWindow::showCurrentDocument(HostDocument *document)
{
    QWidget *view = m_views.value(document);
    const QSignalBlocker blocker(m_tabs);
    if (view)
        m_tabs->setCurrentWidget(view);
}
