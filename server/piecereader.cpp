#include "piecereader.h"

#include <cstring>

PieceReader::PieceReader(std::function<QByteArray()> nextPiece)
    : m_nextPiece(std::move(nextPiece))
{
    open(QIODevice::ReadOnly);
}

qint64 PieceReader::readData(char *data, qint64 maxSize)
{
    if (m_used == m_piece.size()) {
        m_piece = m_nextPiece();
        m_used = 0;
        if (m_piece.isEmpty())
            return 0;
    }
    const qint64 length = qMin(maxSize, m_piece.size() - m_used);
    std::memcpy(data, m_piece.constData() + m_used, static_cast<size_t>(length));
    m_used += length;
    return length;
}
