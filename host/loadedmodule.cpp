#include "loadedmodule.h"

#include <cfxstring.h>
#include <odedcommandstack.h>
#include <odrxmodule.h>

#include <QCoreApplication>
#include <QFile>

#include <dlfcn.h>

namespace {

constexpr int kHostApiMajor = 4;
constexpr int kHostApiMinor = 1;

// View classes whose modules this host gives a docking pane: class name and the names of its
// create and show methods.
struct KnownViewClass
{
    const char *className;
    const char *addMethod;
    const char *showMethod;
};
const KnownViewClass kKnownViewClasses[] = { { "LxAurexView", "addLxAurexView", "showLxAurexView" } };

// The exported symbol of a member function without arguments, as the C++ ABI names it.
QByteArray memberSymbol(const char *className, const char *method)
{
    return QByteArray("_ZN") + QByteArray::number(qstrlen(className)) + className
        + QByteArray::number(qstrlen(method)) + method + "Ev";
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LoadedModule", text);
}

QStringList commandNames()
{
    QStringList names;
    for (OdEdCommand *command : odedRegCmds()->commands())
        names.append(CFxString(command->globalName()).toQString());
    return names;
}

} // namespace

LoadedModule::~LoadedModule()
{
    // Keep the handle referenced: code of the module may still run from objects it left behind
    // (singletons, widgets) until the process ends.
}

std::unique_ptr<LoadedModule> LoadedModule::load(const QString &path, QString *errorMessage)
{
    std::unique_ptr<LoadedModule> loaded(new LoadedModule);
    loaded->m_library.setFileName(path);
    loaded->m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!loaded->m_library.load()) {
        *errorMessage = tr("Cannot load the module %1: %2").arg(path, loaded->m_library.errorString());
        return nullptr;
    }
    const auto getVersion = reinterpret_cast<OdRxGetAPIVersionFunc>(
        loaded->m_library.resolve(kOdRxGetAPIVersionSymbol));
    const auto createObject = reinterpret_cast<OdRxCreateModuleObjectFunc>(
        loaded->m_library.resolve(kOdRxCreateModuleObjectSymbol));
    if (!getVersion || !createObject) {
        *errorMessage = tr("%1 is not a module: it exports no module entry points.").arg(path);
        return nullptr;
    }
    int major = 0, minor = 0, majorBuild = 0, minorBuild = 0;
    getVersion(nullptr, major, minor, majorBuild, minorBuild);
    loaded->m_apiVersion = QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(majorBuild).arg(minorBuild);
    if (major != kHostApiMajor || minor != kHostApiMinor) {
        *errorMessage = tr("The module %1 was built for drawing libraries %2; this host needs %3.%4.")
                            .arg(path, loaded->m_apiVersion)
                            .arg(kHostApiMajor)
                            .arg(kHostApiMinor);
        return nullptr;
    }

    // The same handle the library was loaded with; the module object takes it over.
    loaded->m_handle = dlopen(QFile::encodeName(loaded->m_library.fileName()).constData(),
                              RTLD_NOW | RTLD_NOLOAD);
    void *handle = loaded->m_handle;
    loaded->m_module = createObject(handle);
    if (!loaded->m_module) {
        *errorMessage = tr("The module %1 did not create its module object.").arg(path);
        return nullptr;
    }

    const QStringList before = commandNames();
    loaded->m_module->initApp();
    for (const QString &name : commandNames()) {
        if (!before.contains(name))
            loaded->m_commands.append(name);
    }
    return loaded;
}

int LoadedModule::createViews()
{
    for (const KnownViewClass &viewClass : kKnownViewClasses) {
        ViewBinding binding;
        binding.add = reinterpret_cast<bool (*)(View *)>(
            m_library.resolve(memberSymbol(viewClass.className, viewClass.addMethod).constData()));
        binding.show = reinterpret_cast<void (*)(View *)>(
            m_library.resolve(memberSymbol(viewClass.className, viewClass.showMethod).constData()));
        if (!binding.add)
            continue;
        binding.object = std::make_unique<View>();
        binding.add(binding.object.get());
        m_views.push_back(std::move(binding));
    }
    return static_cast<int>(m_views.size());
}

void LoadedModule::showViews()
{
    for (ViewBinding &binding : m_views) {
        if (binding.show)
            binding.show(binding.object.get());
    }
}

QList<QWidget *> LoadedModule::panes() const
{
    QList<QWidget *> result;
    for (const ViewBinding &binding : m_views) {
        if (binding.object->pane)
            result.append(binding.object->pane);
    }
    return result;
}

void LoadedModule::shutdown()
{
    if (!m_module)
        return;
    m_module->uninitApp();
    m_module->deleteModuleObject();
    m_module = nullptr;
}
