#include "filepush.h"

#include <QCryptographicHash>

namespace {

// Reads a u16 count, then that many bytes ending in NUL. Never reads past
// the frame.
bool readWireString(const QByteArray &bytes, qsizetype *pos, QByteArray *text)
{
    if (*pos + 2 > bytes.size())
        return false;
    const int count = quint8(bytes[*pos]) << 8 | quint8(bytes[*pos + 1]);
    *pos += 2;
    if (count < 1 || *pos + count > bytes.size() || bytes[*pos + count - 1] != '\0')
        return false;
    *text = bytes.mid(*pos, count - 1);
    *pos += count;
    return true;
}

} // namespace

bool FilePush::intact() const
{
    return size == quint32(data.size())
        && md5 == QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

bool FilePush::parse(const ReceivedFrame &frame, FilePush *out)
{
    const QByteArray &bytes = frame.bytes;
    if (frame.type != 0x18 || frame.headerSize != 6 || bytes.size() < 6 || frame.length != quint32(bytes.size() - 6))
        return false;
    qsizetype pos = 6;
    QByteArray name;
    FilePush push;
    if (!readWireString(bytes, &pos, &name) || !readWireString(bytes, &pos, &push.md5) || pos + 4 > bytes.size())
        return false;
    push.name = QString::fromLatin1(name);
    push.size = quint32(quint8(bytes[pos])) << 24 | quint32(quint8(bytes[pos + 1])) << 16
        | quint32(quint8(bytes[pos + 2])) << 8 | quint32(quint8(bytes[pos + 3]));
    pos += 4;
    if (bytes.size() - pos != qsizetype(push.size))
        return false;
    push.data = bytes.mid(pos);
    *out = push;
    return true;
}
