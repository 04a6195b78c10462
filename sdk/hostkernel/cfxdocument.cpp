#include "cfxdocument.h"

CFxDocument::~CFxDocument() = default;

void CFxDocument::SetTitle(const CFxString &)
{
}
