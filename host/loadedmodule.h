#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class OdRxModule;
class QWidget;

// A module library (.tx) the host has loaded, driven in the loader's order: API version,
// module object, initApp; its view when the host builds its panes; uninitApp and
// deleteModuleObject at shutdown. The library itself stays loaded until the process ends.
class LoadedModule
{
public:
    ~LoadedModule();

    // Loads the library and initialises its module object; null with a message on failure.
    static std::unique_ptr<LoadedModule> load(const QString &path, QString *errorMessage);

    QString path() const { return m_library.fileName(); }
    QString apiVersion() const { return m_apiVersion; }
    // The commands the module registered during initApp, in registration order.
    QStringList commands() const { return m_commands; }
    OdRxModule *module() const { return m_module; }

    // Creates the module's views (exported view classes the host knows); returns their count.
    int createViews();
    void showViews();
    // The docking panes the module's views created.
    QList<QWidget *> panes() const;
    // uninitApp, then deleteModuleObject. Safe to call once only.
    void shutdown();

private:
    LoadedModule() = default;

    // An exported view class: the host allocates its fields and calls its methods.
    struct View
    {
        void *reserved = nullptr;
        QWidget *pane = nullptr;
        QWidget *container = nullptr;
    };
    struct ViewBinding
    {
        std::unique_ptr<View> object;
        bool (*add)(View *) = nullptr;
        void (*show)(View *) = nullptr;
    };

    QLibrary m_library;
    void *m_handle = nullptr;
    OdRxModule *m_module = nullptr;
    QString m_apiVersion;
    QStringList m_commands;
    std::vector<ViewBinding> m_views;
};
