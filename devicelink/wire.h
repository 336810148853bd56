#ifndef WIRE_H
#define WIRE_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Message types and the header sizes of the device protocol.
namespace Wire {
constexpr int HeaderSize = 4;             // CommandHeader: type, sub-code, u16 BE length
constexpr int TransferHeaderSize = 6;     // FileTransferHeader: type, sub-code, u32 BE length
constexpr int MaxPayload = 0xFFFF;
constexpr int MaxFrame = HeaderSize + MaxPayload;
// What a device reports about itself is kept to this many bytes per text:
// real devices send a few dozen, and every kept byte is shown in the tree.
constexpr int MaxStoredText = 1024;
// Devices switch a block of fields on with "yes", in any letter case.
inline bool isYes(const QString &value) { return value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0; }
}

// The code byte of the console's type-7 replies to file-transfer requests,
// and the sizes of the data those replies carry.
namespace TransferReply {
enum Code : quint8 {
    Done = 0,          // opened or created; for a chunk request: data follows
    AlreadyOpen = 1,   // the device has a transfer open
    NotAllowed = 2,    // outside the allowed directories or missing; for a chunk: end of file
    CannotOpen = 3,    // cannot be opened or created; for a chunk: no open file, or a read error
    BadName = 4,       // the upload name is empty or not a plain file name
    NoWriteFile = 5,   // no open file to write a chunk to
};
constexpr int MaxChunk = 4092;        // a chunk reply fits the device's 4096-byte buffer
constexpr int MaxWhiteList = 16380;   // the white list fits the device's 16384-byte buffer
}

// Builds one outgoing frame. The header is written by the constructor and the
// length is patched by finish(); anything that would exceed the frame's limit
// (the command's buffer size, or what its length field can count) marks the
// writer as failed instead of overflowing, and finish() then returns nothing.
class WireWriter
{
public:
    // limit: largest whole frame this command may produce, header included.
    WireWriter(quint8 type, quint8 subCode, int limit = Wire::MaxFrame);
    // A frame with the six-byte FileTransferHeader (file push and file install).
    static WireWriter withTransferHeader(quint8 type, quint8 subCode, qint64 limit);

    WireWriter &u8(quint8 value);
    WireWriter &u16(quint16 value);
    WireWriter &u32(quint32 value);
    WireWriter &wireString(const QString &text);   // u16 count, bytes, NUL
    WireWriter &asciiZ(const QString &text);       // bytes, NUL
    WireWriter &raw(const QByteArray &bytes);

    bool ok() const { return m_ok; }
    int size() const { return int(m_data.size()); }
    // The finished frame with its length field filled in, or an empty array
    // when something did not fit.
    QByteArray finish() const;

private:
    WireWriter() = default;
    bool reserve(qint64 n);

    QByteArray m_data;
    qint64 m_limit = Wire::MaxFrame;
    int m_headerSize = Wire::HeaderSize;
    bool m_ok = true;
};

// A cursor over received bytes. Every read stops at the end of the data: a
// field that begins past it is empty (numbers 0), a string without its NUL
// ends at the end of the data. atEnd() tells whether a read fell short.
class PayloadReader
{
public:
    PayloadReader(const char *data, int length, int offset = Wire::HeaderSize);
    explicit PayloadReader(const QByteArray &frame, int offset = Wire::HeaderSize);

    quint8 u8();
    qint8 s8() { return qint8(u8()); }
    quint16 u16();
    quint32 u32();
    QString wireString();    // moves on by the count field, text ends at NUL
    QString asciiZ();        // moves on past the NUL
    QByteArray bytes(int n); // at most what is left
    // Texts read from now on keep at most maxBytes; the cursor still moves
    // past the whole field.
    void limitTexts(int maxBytes) { m_textLimit = maxBytes; }

    int offset() const { return m_pos; }
    int remaining() const { return m_pos < m_length ? m_length - m_pos : 0; }
    bool atEnd() const { return m_pos >= m_length; }
    bool shortRead() const { return m_short; }

private:
    const char *m_data;
    int m_length;
    int m_pos;
    bool m_short = false;
    int m_textLimit = -1;
};

// Frame header helpers over raw bytes.
namespace Frame {
inline quint8 type(QByteArrayView f) { return f.size() > 0 ? quint8(f[0]) & 0x7F : 0; }
inline quint8 subCode(QByteArrayView f) { return f.size() > 1 ? quint8(f[1]) : 0; }
inline int payloadLength(QByteArrayView f)
{
    return f.size() >= 4 ? (quint8(f[2]) << 8 | quint8(f[3])) : 0;
}
// A whole header and exactly the payload it announces.
inline bool isWhole(QByteArrayView f)
{
    return f.size() >= 4 && f.size() == 4 + payloadLength(f);
}
}

#endif // WIRE_H
