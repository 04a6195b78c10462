#pragma once

#include "showaurextaskpane.h"

// The application's proxy, recorded once per module lifetime for the connector. The first call
// records the proxy in force and switches the application to no proxy, so that the module's own
// network objects connect directly; later calls return what was recorded.
ShowAurexTaskPane::ProxySettings captureProxySettings(ShowAurexTaskPane *session);
