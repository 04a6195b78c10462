#include "hostapplication.h"

#include "applicationcommands.h"
#include "commandlinewidget.h"
#include "commandprocessor.h"
#include "dockingpanemanager.h"
#include "filecommands.h"
#include "hostdocumentmanager.h"
#include "hostservices.h"
#include "loadedmodule.h"
#include "mainwindow.h"
#include "referencecommands.h"
#include "scriptrunner.h"
#include "uicommands.h"
#include "uimodeljson.h"
#include "viewcommands.h"
#include "widgetsnapshot.h"

#include <cfxdocument.h>
#include <cfxeditorreactor.h>

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QSettings>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

HostApplication::HostApplication(const HostOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
}

HostApplication::~HostApplication()
{
    shutdown();
}

QString HostApplication::defaultModuleDir()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/modules");
}

int HostApplication::languageSetting(const HostOptions &options)
{
    if (options.language >= 0)
        return options.language;
    QSettings settings;
    return settings.value(QStringLiteral("UILanguage"), 0).toInt();
}

QStringList HostApplication::supportFolders(const HostOptions &options)
{
    QSettings settings;
    return options.supportPaths + settings.value(QStringLiteral("SupportPaths")).toStringList();
}

void HostApplication::report(const QString &text) const
{
    // Messages go to standard error so that --print-ui and --list-modules keep standard output.
    QTextStream err(stderr);
    err << text << '\n';
    err.flush();
    if (m_mainWindow)
        m_mainWindow->commandLine()->appendMessage(text);
}

int HostApplication::run()
{
    m_host = std::make_unique<HostServices>(languageSetting(m_options), supportFolders(m_options));
    m_processor = std::make_unique<CommandProcessor>();
    connect(m_processor.get(), &CommandProcessor::message, this, [](const QString &text) {
        QTextStream err(stderr);
        err << text << '\n';
    });
    m_applicationCommands = std::make_unique<ApplicationCommands>(
        [this]() {
            if (m_mainWindow)
                m_mainWindow->close();
        },
        [this]() { showModuleViews(); });
    m_fileCommands = std::make_unique<FileCommands>(m_host->documents());
    m_referenceCommands = std::make_unique<ReferenceCommands>(m_host->documents(), m_host->appServices());
    m_uiCommands = std::make_unique<UiCommands>([this] { return windowPicture(); });
    m_viewCommands = std::make_unique<ViewCommands>(
        [this]() { return m_mainWindow ? m_mainWindow->currentView() : nullptr; });

    // Modules come up before any window exists: initApp registers commands and reactors only.
    loadModules();

    m_mainWindow = std::make_unique<MainWindow>(m_host->ui(), m_host->documents(), m_processor.get());
    m_host->setMainWindow(m_mainWindow.get());
    connect(m_mainWindow.get(), &MainWindow::aboutToClose, this, &HostApplication::shutdown);
    // A window closed by --exit leaves modified drawings as they are, as a script expects.
    m_mainWindow->setConfirmClose(!m_options.exitAfterStart);
    connect(m_host->documents(), &HostDocumentManager::openFailed, this,
            [](const QString &path, const QString &reason) {
                QTextStream err(stderr);
                err << "Cannot open " << path << ": " << reason << '\n';
            });
    m_mainWindow->show();

    for (const auto &module : m_modules)
        module->createViews();
    CFxEditorReactor::fireMainFrameCreated();

    for (const QString &file : m_options.files)
        m_host->documents()->OpenDocument(file);
    if (m_options.listModules)
        printModules();
    int failures = m_options.script.isEmpty() ? 0 : runScript();
    if (!m_options.screenshot.isEmpty())
        saveScreenshot(m_options.screenshot);
    if (m_options.printUi)
        printUi();
    QString error;
    if (!m_options.widgetSnapshot.isEmpty() && !WidgetSnapshot::write(m_options.widgetSnapshot, &error)) {
        report(error);
        ++failures;
    }
    if (m_options.exitAfterStart) {
        m_mainWindow->close();
        return failures > 0 ? 1 : 0;
    }
    return QApplication::exec();
}

int HostApplication::runScript()
{
    ScriptRunner runner(m_processor.get());
    QString error;
    if (!runner.load(m_options.script, &error)) {
        report(error);
        return 1;
    }
    // A host that exits after the script closes what the script left waiting for an answer, so
    // that the commands waiting in those dialogs and menus return.
    QTimer closer;
    closer.setInterval(50);
    connect(&closer, &QTimer::timeout, this, []() {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        else if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    QEventLoop loop;
    connect(&runner, &ScriptRunner::finished, this, [this, &closer, &loop]() {
        if (m_options.exitAfterStart)
            closer.start();
        loop.quit();
    });
    runner.start();
    loop.exec();
    return runner.failureCount();
}

void HostApplication::loadModules()
{
    const QString folder = m_options.moduleDir.isEmpty() ? defaultModuleDir() : m_options.moduleDir;
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({ QStringLiteral("*.tx") }, QDir::Files, QDir::Name))
        paths.append(dir.absoluteFilePath(name));
    for (const QString &path : m_options.modules) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (!paths.contains(absolute))
            paths.append(absolute);
    }
    for (const QString &path : paths)
        loadModule(path);
}

void HostApplication::loadModule(const QString &path)
{
    QString error;
    std::unique_ptr<LoadedModule> module = LoadedModule::load(path, &error);
    if (!module) {
        report(error);
        return;
    }
    m_modules.push_back(std::move(module));
}

void HostApplication::printModules() const
{
    QTextStream out(stdout);
    out << "modules: " << m_modules.size() << '\n';
    for (const auto &module : m_modules) {
        out << "module " << module->path() << " (drawing libraries " << module->apiVersion()
            << ")\n";
        out << "  commands: " << module->commands().join(QLatin1Char(' ')) << '\n';
        for (QWidget *pane : module->panes())
            out << "  pane: \"" << pane->windowTitle() << "\"" << (pane->isVisible() ? "" : " (hidden)")
                << '\n';
    }
    out.flush();
}

void HostApplication::printUi() const
{
    QJsonObject root = uiModelToJson(*m_host->ui());
    QJsonArray panes;
    for (QDockWidget *pane : m_host->panes()->panes()) {
        panes.append(QJsonObject { { QStringLiteral("title"), pane->windowTitle() },
                                   { QStringLiteral("visible"), pane->isVisible() },
                                   { QStringLiteral("floating"), pane->isFloating() } });
    }
    root.insert(QStringLiteral("panes"), panes);
    QJsonArray documents;
    for (int i = 0; i < m_host->documents()->GetDocumentCount(); ++i)
        documents.append(m_host->documents()->GetDocumentAt(i)->GetPathName().toQString());
    root.insert(QStringLiteral("documents"), documents);
    const CFxDocument *current = m_host->documents()->GetCurrentDocument();
    root.insert(QStringLiteral("currentDocument"),
                current ? current->GetPathName().toQString() : QString());
    QTextStream out(stdout);
    out << QJsonDocument(root).toJson(QJsonDocument::Indented);
    out.flush();
}

void HostApplication::saveScreenshot(const QString &path) const
{
    // Let the window and its panes settle (layouts, deferred redraws) before taking the picture.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    if (!windowPicture().save(path))
        report(tr("Cannot write the screenshot %1.").arg(path));
}

QImage HostApplication::windowPicture() const
{
    QImage picture = m_mainWindow->grab().toImage();
    // Dialogs shown over the window (a search, a question) are part of what the user sees:
    // each is painted where it stands, or centred when it stands beside the window.
    QPainter painter(&picture);
    const QRect frame = m_mainWindow->geometry();
    QList<QWidget *> shown;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_mainWindow.get() && window->isVisible()
            && window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip)
            shown.append(window);
    }
    // Painted in stacking order: modeless windows first, then modal ones, a dialog after the
    // dialog it was opened over, and the modal dialog that has the input last of all.
    const auto rank = [](QWidget *window) {
        int depth = 0;
        for (QWidget *owner = window->parentWidget(); owner; owner = owner->parentWidget())
            ++depth;
        return (window == QApplication::activeModalWidget() ? 20000 : 0)
            + (window->isModal() ? 10000 : 0) + depth;
    };
    std::stable_sort(shown.begin(), shown.end(),
                     [&rank](QWidget *a, QWidget *b) { return rank(a) < rank(b); });
    for (QWidget *window : shown) {
        QRect place = window->geometry().translated(-frame.topLeft());
        if (!picture.rect().contains(place))
            place.moveCenter(picture.rect().center());
        painter.drawPixmap(place.topLeft(), window->grab());
    }
    return picture;
}

void HostApplication::showModuleViews()
{
    for (const auto &module : m_modules)
        module->showViews();
}

void HostApplication::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // Modules take back their menus and ribbon while the window still exists.
    CFxEditorReactor::fireMainFrameToBeClosed(m_mainWindow.get());
    if (m_host)
        m_host->documents()->closeAll();
    for (auto it = m_modules.rbegin(); it != m_modules.rend(); ++it)
        (*it)->shutdown();
    m_viewCommands.reset();
    m_uiCommands.reset();
    m_referenceCommands.reset();
    m_fileCommands.reset();
    m_applicationCommands.reset();
}
