#pragma once

#include <QString>

// Text that other people typed (a check-in comment), made safe to show: control characters and
// the bidirectional formatting characters, which would hide text or reorder the rest of a row,
// are written out as \uXXXX, the way the platform writes them in its messages.

// For one line of a list: line breaks and tabs become single spaces as well.
QString singleLineText(const QString &text);
// For a tool tip: line breaks stay.
QString multiLineText(const QString &text);
// The first line that has more than white space, made safe for one line.
QString firstLineText(const QString &text);
