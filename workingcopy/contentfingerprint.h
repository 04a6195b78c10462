#pragma once

#include <QByteArray>
#include <QString>

// What identifies the bytes of a local file: its size, modification time and SHA-256. Taken
// when a download or a check-in leaves the file as the platform has it, and compared later to
// tell whether anything changed the file since, whichever program did. Any thread.
struct ContentFingerprint
{
    qint64 size = -1;
    qint64 modifiedMs = 0;
    QByteArray sha256; // hex

    bool isValid() const { return size >= 0 && !sha256.isEmpty(); }

    // The file as it is now; invalid when it cannot be read.
    static ContentFingerprint of(const QString &path);
    // The fingerprint of a file whose bytes another party hashed as they were read (the
    // platform, of what a check-in sent), without reading them again: taken when the file still
    // has that size and was last modified before readSinceMs, when the reading began; otherwise
    // of(path).
    static ContentFingerprint hashedElsewhere(const QString &path, const QByteArray &sha256,
                                              qint64 size, qint64 readSinceMs);

    // Whether path still holds these bytes. The size and time are compared first and the file
    // is hashed only when the size is the same but the time differs (a program rewrote the
    // same bytes). A file that is gone does not match.
    bool matches(const QString &path) const;
};
