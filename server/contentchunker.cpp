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

// Rolls the hash over bytes [at, end); with a mask, stops after the first byte where the
// masked bits of the hash are all zero, and says so in *found. Where it stopped. Apart from the
// chunker's members, so that the hash stays in a register (the bytes may alias anything).
qint64 roll(const quint64 *table, const unsigned char *bytes, qint64 at, qint64 end,
            quint64 mask, quint64 *hash, bool *found)
{
    quint64 h = *hash;
    *found = false;
    if (mask == 0) {
        for (; at < end; ++at)
            h = (h << 1) + table[bytes[at]];
        *hash = h;
        return end;
    }
    for (; at < end; ++at) {
        h = (h << 1) + table[bytes[at]];
        if ((h & mask) == 0) {
            *found = true;
            ++at;
            break;
        }
    }
    *hash = h;
    return at;
}

} // namespace

qint64 ContentChunker::scan(const char *data, qint64 length, bool *boundary)
{
    const quint64 *table = gear().data();
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
    // Up to the minimum the hash only fills its window; then a chunk ends less readily before
    // the average than after it, and at the maximum in any case.
    const struct {
        qint64 limit;
        quint64 mask;
    } stages[] = {{kMinBytes, 0}, {kAverageBytes, kHardMask}, {kMaxBytes, kEasyMask}};
    for (const auto &stage : stages) {
        if (m_length >= stage.limit)
            continue;
        const qint64 end = qMin(length, at + (stage.limit - m_length));
        bool found = false;
        const qint64 stop = roll(table, bytes, at, end, stage.mask, &m_hash, &found);
        m_length += stop - at;
        at = stop;
        if (found || m_length == kMaxBytes) {
            *boundary = true;
            m_hash = 0;
            m_length = 0;
            return at;
        }
        if (at == length)
            return length;
    }
    return length;
}
