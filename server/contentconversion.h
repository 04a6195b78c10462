#pragma once

// Brings contents stored by older platforms (whole in one column, or in pieces of 1 MiB) into
// chunks. Pieces are converted one content per transaction, so a conversion cut short by a
// crash or a stop loses nothing and goes on where it ended when the platform starts again.
// Processes starting together on one database convert one content at a time between them.
class ContentConversion
{
public:
    static void run();
};
