#include "odrxmodule.h"

OdRxModule::OdRxModule() = default;
OdRxModule::~OdRxModule() = default;
