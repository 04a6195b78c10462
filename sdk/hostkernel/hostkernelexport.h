#pragma once

#if defined(HOSTKERNEL_LIBRARY)
#define HOSTKERNEL_EXPORT __attribute__((visibility("default")))
#else
#define HOSTKERNEL_EXPORT
#endif
