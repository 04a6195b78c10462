#pragma once

#include "listing.h"

// Reads every stored content back and checks it against its size and SHA-256, for the
// administrator's "check" command: a damaged disk or a hand-edited database is found before a
// user downloads a damaged file. Runs on the calling thread's database connection.
class IntegrityCheck
{
public:
    IntegrityCheck();

    // How many contents were read.
    int checked() const { return m_checked; }
    // The versions whose bytes are damaged: name, title, space, revision.
    const Listing &damaged() const { return m_damaged; }

private:
    int m_checked = 0;
    Listing m_damaged;
};
