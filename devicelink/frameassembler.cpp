#include "frameassembler.h"
#include "wire.h"

#include <cstring>

qsizetype FrameAssembler::wholeAt(qsizetype at) const
{
    const qsizetype avail = m_buffer.size() - at;
    if (avail < Wire::HeaderSize)
        return 0;
    const uchar *p = reinterpret_cast<const uchar *>(m_buffer.constData() + at);
    const qsizetype whole = Wire::HeaderSize + (p[2] << 8 | p[3]);
    return avail >= whole ? whole : 0;
}

void FrameAssembler::consumed(qsizetype length)
{
    m_start += length;
    if (m_start == m_buffer.size()) {
        clear();
    } else if (m_start > 65536) {
        // Drop consumed bytes once in a while rather than after every frame.
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
}

bool FrameAssembler::next(QByteArray *frame)
{
    const qsizetype whole = wholeAt(m_start);
    if (!whole) {
        if (m_start > 0 && m_start == m_buffer.size())
            clear();
        return false;
    }
    // Into the frame's own room when it has some: a storm of small reports
    // would otherwise cost an allocation each.
    frame->resize(whole);
    memcpy(frame->data(), m_buffer.constData() + m_start, size_t(whole));
    consumed(whole);
    return true;
}

bool FrameAssembler::hasFrame() const
{
    return wholeAt(m_start) > 0;
}

int FrameAssembler::peek(QByteArrayView *frames, int max, bool (*accept)(QByteArrayView)) const
{
    int count = 0;
    for (qsizetype at = m_start, whole; count < max && (whole = wholeAt(at)) > 0; at += whole) {
        const QByteArrayView frame(m_buffer.constData() + at, whole);
        if (accept && !accept(frame))
            break;
        frames[count++] = frame;
    }
    return count;
}

void FrameAssembler::skipThrough(QByteArrayView last)
{
    const qsizetype end = last.data() + last.size() - m_buffer.constData();
    if (end > m_start && end <= m_buffer.size())
        consumed(end - m_start);
}

void FrameAssembler::clear()
{
    m_buffer.clear();
    m_start = 0;
}
