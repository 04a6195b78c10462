#pragma once

#include <QString>

// Which file names the platform accepts as titles. A title becomes a file name on every machine
// that downloads it, Windows ones included, and is shown to other users, so names that cannot
// be created there or that display differently from what they are (bidirectional overrides,
// control characters) are refused. Stateless and thread-safe.
class TitleRules
{
public:
    // Why the title cannot be used, or an empty string when it can.
    static QString problem(const QString &title);
    // The text with control and bidirectional characters written as \uXXXX, so that it can be
    // quoted in a message without changing how the message reads.
    static QString printable(const QString &text);
};
