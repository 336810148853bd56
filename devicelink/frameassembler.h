#ifndef FRAMEASSEMBLER_H
#define FRAMEASSEMBLER_H

#include <QByteArray>
#include <QByteArrayView>

// Cuts whole frames out of a device socket's byte stream by their
// CommandHeader. Bytes of an incomplete frame wait for the rest; several
// frames in one read come out one by one. A frame never exceeds 65,539
// bytes, so the buffer stays bounded.
class FrameAssembler
{
public:
    void append(const char *data, int length) { m_buffer.append(data, length); }
    void append(const QByteArray &data) { m_buffer.append(data); }
    // True when a whole frame was taken out into *frame.
    bool next(QByteArray *frame);
    // True when next() would take a frame.
    bool hasFrame() const;
    // Up to max whole frames from the one next() would take on, left in
    // place, stopping before the first that accept (when given) refuses;
    // returns how many. Valid until the assembler next changes.
    int peek(QByteArrayView *frames, int max, bool (*accept)(QByteArrayView) = nullptr) const;
    // Drops the frames up to and including last, one of those peek() gave
    // since the assembler last changed; their lengths are known already.
    void skipThrough(QByteArrayView last);
    int pending() const { return int(m_buffer.size() - m_start); }
    // What the buffer holds, the consumed front not yet dropped included.
    int held() const { return int(m_buffer.size()); }
    void clear();

private:
    // Length of the whole frame at offset at, or 0 when it is not all here.
    qsizetype wholeAt(qsizetype at) const;
    void consumed(qsizetype length);

    QByteArray m_buffer;
    qsizetype m_start = 0;   // consumed bytes at the front, dropped lazily
};

#endif // FRAMEASSEMBLER_H
