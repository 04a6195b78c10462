#pragma once

#include <stdexcept>

// A command line that names no command or gives it the wrong arguments: the command prints
// the reason and the usage, and exits 2.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
