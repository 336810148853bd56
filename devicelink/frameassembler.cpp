#include "frameassembler.h"
#include "wire.h"

#include <cstring>

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
    // Into the frame's own room when it has some: a storm of small reports
    // would otherwise cost an allocation each.
    frame->resize(whole);
    memcpy(frame->data(), p, size_t(whole));
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
