#include "memory_stream.h"

#include <cstring>

namespace wendolarka {

qint64 TMemoryStream::Read(void* buffer, qint64 count) {
    const qint64 available = qMax<qint64>(0, Size() - m_position);
    const qint64 n = qBound<qint64>(0, count, available);
    if (n > 0)
        std::memcpy(buffer, m_bytes.constData() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, qint64 count) {
    if (count <= 0)
        return;
    const qint64 end = m_position + count;
    if (end > Size())
        m_bytes.resize(end);
    std::memcpy(m_bytes.data() + m_position, buffer, static_cast<std::size_t>(count));
    m_position = end;
}

} // namespace wendolarka
