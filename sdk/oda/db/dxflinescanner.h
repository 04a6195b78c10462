#pragma once

#include <QtAlgorithms>
#include <QtGlobal>

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Finds the line ends ('\n') of a range of bytes one after another, 64 bytes at a time:
// reading a large drawing is mostly finding the ends of millions of short lines, and a block
// that holds several of them spares a branch per line that no predictor gets right. Lives for one
// pass over the range; the bytes must not change meanwhile.
class DxfLineScanner
{
public:
    DxfLineScanner(const char *data, quint32 end, quint32 from)
        : m_data(data)
        , m_end(end)
        , m_block(from)
    {
        load();
    }

    // The position of the next line end after the one returned last, or the range's end.
    quint32 next()
    {
        while (!m_mask) {
            m_block += kBlock;
            if (m_block >= m_end)
                return m_end;
            load();
        }
        const quint32 pos = m_block + qCountTrailingZeroBits(m_mask);
        m_mask &= m_mask - 1;
        return pos;
    }

    // The next two line ends, as a tag's code line and value line end: most tags lie within one
    // block, and their two ends come from one look at its mask.
    void nextTwo(quint32 *first, quint32 *second)
    {
        const quint64 rest = m_mask & (m_mask - 1);
        if (rest) {
            *first = m_block + qCountTrailingZeroBits(m_mask);
            *second = m_block + qCountTrailingZeroBits(rest);
            m_mask = rest & (rest - 1);
            return;
        }
        *first = next();
        *second = next();
    }

private:
    static constexpr quint32 kBlock = 64;

    // Marks the line ends among the block's bytes, one bit per byte.
    void load()
    {
        if (m_block >= m_end) {
            m_mask = 0;
            return;
        }
        const char *bytes = m_data + m_block;
        char tail[kBlock] = {};
        if (m_end - m_block < kBlock) {
            std::memcpy(tail, bytes, m_end - m_block);
            bytes = tail;
        }
#ifdef __SSE2__
        const __m128i newline = _mm_set1_epi8('\n');
        m_mask = 0;
        for (quint32 i = 0; i < kBlock; i += 16) {
            const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
            const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(part, newline));
            m_mask |= quint64(quint16(found)) << i;
        }
#else
        m_mask = 0;
        for (quint32 i = 0; i < kBlock; ++i)
            m_mask |= quint64(bytes[i] == '\n') << i;
#endif
    }

    const char *m_data;
    quint32 m_end;
    quint32 m_block; // where the current block starts
    quint64 m_mask = 0; // its line ends not returned yet, one bit per byte
};
