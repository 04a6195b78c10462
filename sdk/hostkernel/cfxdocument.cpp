#include "cfxdocument.h"

CFxDocument::~CFxDocument() = default;
