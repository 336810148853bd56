#include "receivedframe.h"

bool ConsoleStream::next(ReceivedFrame *frame)
{
    if (m_failed || m_buffer.size() < 4)
        return false;
    const uchar *p = reinterpret_cast<const uchar *>(m_buffer.constData());
    const quint8 type = p[0] & 0x7F;
    int headerSize = 4;
    quint32 length = quint32(p[2]) << 8 | p[3];
    if (hasTransferHeader(type)) {
        headerSize = 6;
        if (m_buffer.size() < headerSize)
            return false;
        length = quint32(p[2]) << 24 | quint32(p[3]) << 16 | quint32(p[4]) << 8 | p[5];
    }
    qint64 whole = qint64(headerSize) + length;
    if (type == EdidResolutionType) {
        // Its length counts only the resolution; a wire string follows.
        if (m_buffer.size() < whole + 2)
            return false;
        whole += 2 + (quint32(p[whole]) << 8 | p[whole + 1]);
    }
    if (whole > MaxFrame) {
        m_failed = true;
        return false;
    }
    if (m_buffer.size() < whole)
        return false;
    frame->bytes = m_buffer.left(whole);
    frame->type = type;
    frame->subCode = p[1];
    frame->length = length;
    frame->headerSize = headerSize;
    m_buffer.remove(0, whole);
    return true;
}

void ConsoleStream::clear()
{
    m_buffer.clear();
    m_failed = false;
}
