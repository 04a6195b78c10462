#pragma once

#if defined(FZCONNECTOR_LIBRARY)
#define FZCONNECTOR_EXPORT __attribute__((visibility("default")))
#else
#define FZCONNECTOR_EXPORT
#endif
