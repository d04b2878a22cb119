#pragma once

#include <QByteArray>
#include <cstdint>

namespace wendolarka {

// Bytes with a read/write position, the way BLOBs and pictures travel.
class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    TMemoryStream(const char* data, qsizetype size) : m_bytes(data, size) {}

    qint64 Size() const { return m_bytes.size(); }
    qint64 Position() const { return m_position; }
    void setPosition(qint64 position) { m_position = qBound<qint64>(0, position, Size()); }

    // Copies up to `count` bytes from the position on; returns how many were copied.
    qint64 Read(void* buffer, qint64 count);
    void Write(const void* buffer, qint64 count);
    void Clear() { m_bytes.clear(); m_position = 0; }

    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};

} // namespace wendolarka
