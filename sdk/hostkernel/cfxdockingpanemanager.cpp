#include "cfxdockingpanemanager.h"

CFxDockingPaneManager::~CFxDockingPaneManager() = default;
