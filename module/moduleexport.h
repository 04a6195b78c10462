#pragma once

// What the module library exports to its host: the two entry points and the view class.
#define LXAUREX_EXPORT __attribute__((visibility("default")))
