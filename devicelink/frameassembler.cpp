#include "frameassembler.h"
#include "wire.h"

bool FrameAssembler::next(QByteArray *frame)
{
    const qsizetype avail = m_buffer.size() - m_start;
    if (avail < Wire::HeaderSize) {
        if (m_start > 0 && avail == 0)
            clear();
        return false;
    }
    const uchar *p = reinterpret_cast<const uchar *>(m_buffer.constData() + m_start);
    const qsizetype whole = Wire::HeaderSize + (p[2] << 8 | p[3]);
    if (avail < whole)
        return false;
    *frame = m_buffer.mid(m_start, whole);
    m_start += whole;
    if (m_start == m_buffer.size()) {
        clear();
    } else if (m_start > 65536) {
        // Drop consumed bytes once in a while rather than after every frame.
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
    return true;
}

bool FrameAssembler::hasFrame() const
{
    const qsizetype avail = m_buffer.size() - m_start;
    if (avail < Wire::HeaderSize)
        return false;
    const uchar *p = reinterpret_cast<const uchar *>(m_buffer.constData() + m_start);
    return avail >= Wire::HeaderSize + (p[2] << 8 | p[3]);
}

void FrameAssembler::clear()
{
    m_buffer.clear();
    m_start = 0;
}
