#pragma once

#if defined(TD_ROOT_LIBRARY)
#define TD_ROOT_EXPORT __attribute__((visibility("default")))
#else
#define TD_ROOT_EXPORT
#endif
