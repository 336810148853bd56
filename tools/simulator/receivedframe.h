#ifndef RECEIVEDFRAME_H
#define RECEIVEDFRAME_H

#include <QByteArray>
#include <QMetaType>

// One frame the console sent to a device, whole, with its parsed header.
struct ReceivedFrame {
    QByteArray bytes;        // header and payload as received
    quint8 type = 0;         // bit 7 cleared
    quint8 subCode = 0;
    quint32 length = 0;      // the header's length field
    int headerSize = 4;      // 6 for the file push and file install frames

    QByteArray payload() const { return bytes.mid(headerSize); }
};
Q_DECLARE_METATYPE(ReceivedFrame)

// Cuts the console's byte stream into frames. Most frames carry the 4-byte
// CommandHeader; the file push (0x18) and file install (0x26) carry the
// 6-byte FileTransferHeader with a u32 length.
class ConsoleStream
{
public:
    // A simulated device refuses larger frames rather than buffering them.
    static constexpr qint64 MaxFrame = 64 * 1024 * 1024;

    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    // True when a whole frame was taken out into *frame.
    bool next(ReceivedFrame *frame);
    // A frame announced a length over MaxFrame: the stream cannot go on.
    bool failed() const { return m_failed; }
    qsizetype pending() const { return m_buffer.size(); }
    void clear();

    static bool hasTransferHeader(quint8 type) { return type == 0x18 || type == 0x26; }
    // The EDID resolution command (0x02) runs past its header's length by
    // one wire string, its mode string.
    static constexpr quint8 EdidResolutionType = 0x02;

private:
    QByteArray m_buffer;
    bool m_failed = false;
};

#endif // RECEIVEDFRAME_H
