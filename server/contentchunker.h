#pragma once

#include <QtGlobal>

// Cuts a stream of bytes into chunks at boundaries its content defines, so that an edit in the
// middle of a file changes the chunk around it and leaves the chunks before and after it as
// they were, wherever the edit shifts them to. The platform and the connector cut the same
// bytes at the same places.
//
// A rolling hash of the last 64 bytes (each byte shifts the hash left by one and adds a random
// 64-bit value for the byte) ends a chunk where its 18 top bits are zero once the chunk holds
// 16 KiB, where its 14 top bits are zero once it holds 64 KiB, and at 256 KiB in any case:
// chunks of about 64 KiB, rarely far from it.
class ContentChunker
{
public:
    static constexpr qint64 kMinBytes = 16 * 1024;
    static constexpr qint64 kAverageBytes = 64 * 1024;
    static constexpr qint64 kMaxBytes = 256 * 1024;

    // How many of the length bytes at data belong to the chunk under way. When *boundary is
    // set, the chunk ends after them and the next call begins a new one; otherwise all length
    // bytes were taken and the chunk goes on.
    qint64 scan(const char *data, qint64 length, bool *boundary);
    // Bytes of the chunk under way.
    qint64 pending() const { return m_length; }

private:
    quint64 m_hash = 0;
    qint64 m_length = 0;
};
