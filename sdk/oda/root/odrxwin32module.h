#pragma once

#include "odstring.h"

#include <atomic>
#include <cstddef>
#include <dlfcn.h>
#include <link.h>

// Wraps a module class T with what the loader expects of a module object: an atomic reference
// count that never destroys the object, the library handle, and the module file's path. The
// object is destroyed only by deleteModuleObject, which also clears the module-wide pointer.
// On this platform the handle is the dlopen handle of the library.
template <class T>
class OdRxWin32Module : public T
{
public:
    explicit OdRxWin32Module(void *moduleHandle)
        : m_moduleHandle(moduleHandle)
    {
    }

    // The one module object of this library, or null before creation and after deletion.
    static inline OdRxWin32Module<T> *s_moduleObject = nullptr;

    void addRef() override { m_refCount.fetch_add(1); }
    void release() override { m_refCount.fetch_sub(1); }
    long numRefs() const override { return m_refCount.load(); }
    void *sysData() override { return m_moduleHandle; }

    void deleteModuleObject() override
    {
        if (s_moduleObject == this)
            s_moduleObject = nullptr;
        delete this;
    }

    OdString moduleName() const override
    {
        // Paths are limited to what the host's file APIs accept.
        constexpr std::size_t kMaxPath = 260;
        std::wstring path = OdString(libraryPath()).wstring();
        if (path.size() > kMaxPath)
            path.resize(kMaxPath);
        return OdString(path);
    }

private:
    const char *libraryPath() const
    {
        if (m_moduleHandle) {
            link_map *map = nullptr;
            if (dlinfo(m_moduleHandle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name)
                return map->l_name;
        }
        // Without a handle, ask which library holds this very code.
        Dl_info info {};
        if (dladdr(reinterpret_cast<const void *>(&s_moduleObject), &info) && info.dli_fname)
            return info.dli_fname;
        return "";
    }

    std::atomic<int> m_refCount { 0 };
    void *m_moduleHandle;
};
