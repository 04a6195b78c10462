#pragma once

#include <QByteArray>
#include <QIODevice>

#include <functional>

// Bytes kept in the database as pieces one after another (an upload as it arrived, a content
// as an older platform stored it), read as one sequential device, a piece in memory at a time.
class PieceReader : public QIODevice
{
public:
    // nextPiece gives the pieces in order, then an empty one.
    explicit PieceReader(std::function<QByteArray()> nextPiece);
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    std::function<QByteArray()> m_nextPiece;
    QByteArray m_piece;
    qint64 m_used = 0; // bytes of m_piece read
};
