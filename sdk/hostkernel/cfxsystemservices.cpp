#include "cfxsystemservices.h"

#include <atomic>

namespace {
std::atomic<CFxSystemServices *> g_services { nullptr };
}

CFxSystemServices::~CFxSystemServices() = default;

void CFxSystemServices::WriteMessage(const CFxString &)
{
}

CFxSystemServices *GetFxSystemServices()
{
    return g_services.load();
}

void SetFxSystemServices(CFxSystemServices *services)
{
    g_services.store(services);
}
