#include "contentchunker.h"

#include <array>

namespace {

// The hash's window: bytes further back have shifted out of it.
const qint64 kWindowBytes = 64;
const quint64 kHardMask = ~quint64(0) << (64 - 18);
const quint64 kEasyMask = ~quint64(0) << (64 - 14);

// 256 values of the SplitMix64 sequence from seed 0: fixed, so that every program cuts alike.
const std::array<quint64, 256> &gear()
{
    static const std::array<quint64, 256> table = [] {
        std::array<quint64, 256> values{};
        quint64 state = 0;
        for (quint64 &value : values) {
            state += 0x9e3779b97f4a7c15ULL;
            quint64 z = state;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            value = z ^ (z >> 31);
        }
        return values;
    }();
    return table;
}

} // namespace

qint64 ContentChunker::scan(const char *data, qint64 length, bool *boundary)
{
    const std::array<quint64, 256> &table = gear();
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    *boundary = false;
    qint64 at = 0;
    // No chunk ends before its minimum, and the hash there depends only on its window: the
    // bytes before the window are passed over unread.
    const qint64 skipTo = kMinBytes - kWindowBytes;
    if (m_length < skipTo) {
        at = qMin(length, skipTo - m_length);
        m_length += at;
        m_hash = 0;
    }
    const auto cut = [&](qint64 end) {
        *boundary = true;
        m_hash = 0;
        m_length = 0;
        return end;
    };
    for (; at < length && m_length < kMinBytes; ++at, ++m_length)
        m_hash = (m_hash << 1) + table[bytes[at]];
    for (; at < length && m_length < kAverageBytes; ++at) {
        m_hash = (m_hash << 1) + table[bytes[at]];
        ++m_length;
        if ((m_hash & kHardMask) == 0)
            return cut(at + 1);
    }
    for (; at < length && m_length < kMaxBytes; ++at) {
        m_hash = (m_hash << 1) + table[bytes[at]];
        ++m_length;
        if ((m_hash & kEasyMask) == 0)
            return cut(at + 1);
    }
    if (m_length == kMaxBytes)
        return cut(at);
    return length;
}
