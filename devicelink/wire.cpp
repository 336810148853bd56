#include "wire.h"
#include "utils.h"

#include <cstring>

WireWriter::WireWriter(quint8 type, quint8 subCode, int limit)
    : m_limit(qMin(limit, Wire::MaxFrame))
{
    m_data.reserve(64);
    m_data.append(char(type));
    m_data.append(char(subCode));
    m_data.append(2, '\0');
}

WireWriter WireWriter::withTransferHeader(quint8 type, quint8 subCode, qint64 limit)
{
    WireWriter w;
    w.m_limit = qMin<qint64>(limit, qint64(0xFFFFFFFFu) + Wire::TransferHeaderSize);
    w.m_headerSize = Wire::TransferHeaderSize;
    w.m_data.append(char(type));
    w.m_data.append(char(subCode));
    w.m_data.append(4, '\0');
    return w;
}

bool WireWriter::reserve(qint64 n)
{
    if (!m_ok || m_data.size() + n > m_limit) {
        m_ok = false;
        return false;
    }
    return true;
}

WireWriter &WireWriter::u8(quint8 value)
{
    if (reserve(1))
        m_data.append(char(value));
    return *this;
}

WireWriter &WireWriter::u16(quint16 value)
{
    if (reserve(2)) {
        m_data.append(char(value >> 8));
        m_data.append(char(value));
    }
    return *this;
}

WireWriter &WireWriter::u32(quint32 value)
{
    if (reserve(4)) {
        m_data.append(char(value >> 24));
        m_data.append(char(value >> 16));
        m_data.append(char(value >> 8));
        m_data.append(char(value));
    }
    return *this;
}

WireWriter &WireWriter::wireString(const QString &text)
{
    const QByteArray bytes = Utils::toWire(text);
    if (bytes.size() + 1 > 0xFFFF) {
        m_ok = false;
        return *this;
    }
    if (reserve(bytes.size() + 3)) {
        u16(quint16(bytes.size() + 1));
        m_data.append(bytes);
        m_data.append('\0');
    }
    return *this;
}

WireWriter &WireWriter::asciiZ(const QString &text)
{
    const QByteArray bytes = Utils::toWire(text);
    if (reserve(bytes.size() + 1)) {
        m_data.append(bytes);
        m_data.append('\0');
    }
    return *this;
}

WireWriter &WireWriter::raw(const QByteArray &bytes)
{
    if (reserve(bytes.size()))
        m_data.append(bytes);
    return *this;
}

QByteArray WireWriter::finish() const
{
    if (!m_ok)
        return QByteArray();
    QByteArray frame = m_data;
    quint8 *p = reinterpret_cast<quint8 *>(frame.data());
    const qint64 payload = frame.size() - m_headerSize;
    if (m_headerSize == Wire::TransferHeaderSize) {
        Utils::putU32BE(p + 2, quint32(payload));
    } else {
        if (payload > Wire::MaxPayload)
            return QByteArray();
        Utils::putU16BE(p + 2, quint16(payload));
    }
    return frame;
}

PayloadReader::PayloadReader(const char *data, int length, int offset)
    : m_data(data), m_length(length < 0 ? 0 : length), m_pos(offset)
{
}

PayloadReader::PayloadReader(const QByteArray &frame, int offset)
    : PayloadReader(frame.constData(), int(frame.size()), offset)
{
}

quint8 PayloadReader::u8()
{
    if (m_pos + 1 > m_length) {
        m_short = true;
        m_pos += 1;
        return 0;
    }
    return quint8(m_data[m_pos++]);
}

quint16 PayloadReader::u16()
{
    if (m_pos + 2 > m_length) {
        m_short = true;
        m_pos += 2;
        return 0;
    }
    const quint16 v = quint16(quint8(m_data[m_pos]) << 8 | quint8(m_data[m_pos + 1]));
    m_pos += 2;
    return v;
}

quint32 PayloadReader::u32()
{
    if (m_pos + 4 > m_length) {
        m_short = true;
        m_pos += 4;
        return 0;
    }
    quint32 v;
    Utils::getU32BE(&v, reinterpret_cast<const quint8 *>(m_data + m_pos));
    m_pos += 4;
    return v;
}

QString PayloadReader::wireString()
{
    if (m_pos + 2 > m_length) {
        m_short = true;
        m_pos += 2;
        return QString();
    }
    QString text;
    m_pos += Utils::getString(reinterpret_cast<const quint8 *>(m_data), m_length, &text, m_pos);
    if (m_pos > m_length)
        m_short = true;
    if (m_textLimit >= 0)
        text.truncate(m_textLimit);
    return text;
}

QString PayloadReader::asciiZ()
{
    if (m_pos >= m_length) {
        m_short = true;
        m_pos += 1;
        return QString();
    }
    const char *start = m_data + m_pos;
    const int room = m_length - m_pos;
    const void *nul = memchr(start, 0, size_t(room));
    if (!nul) {
        m_short = true;
        m_pos = m_length + 1;
        return Utils::fromWire(start, m_textLimit >= 0 ? qMin(room, m_textLimit) : room);
    }
    const int len = int(static_cast<const char *>(nul) - start);
    m_pos += len + 1;
    return Utils::fromWire(start, m_textLimit >= 0 ? qMin(len, m_textLimit) : len);
}

QByteArray PayloadReader::bytes(int n)
{
    const int take = qMax(0, qMin(n, remaining()));
    if (take < n)
        m_short = true;
    QByteArray out(m_data + qMin(m_pos, m_length), take);
    m_pos += n;
    return out;
}
