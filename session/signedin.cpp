#include "signedin.h"

#include <atomic>

namespace {
std::atomic<bool> g_signedIn { false };
}

bool signedIn()
{
    return g_signedIn.load();
}

void setSignedIn(bool value)
{
    g_signedIn.store(value);
}
