#pragma once

#if defined(TD_DB_LIBRARY)
#define TD_DB_EXPORT __attribute__((visibility("default")))
#else
#define TD_DB_EXPORT
#endif
