#pragma once

#include <QString>

struct ReferenceNode;

// The name a listed file is shown and filtered by: the file name of its path, or the node's own
// name when the host could not find the file.
QString listedFileName(const ReferenceNode &node);
