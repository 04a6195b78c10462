#include "lxodrxmodule.h"

lx_OdRxModule::lx_OdRxModule() = default;
lx_OdRxModule::~lx_OdRxModule() = default;
