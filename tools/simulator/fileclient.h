#ifndef FILECLIENT_H
#define FILECLIENT_H

#include "receivedframe.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class SimDevice;

// The file requests a device sends, as pure frame builders.
namespace FileMessages {
enum Type : quint8 {
    Reply = 7,             // the console's answer to every request but 49
    FileOpenRead = 9,
    FileClose = 10,
    FileReadChunk = 11,
    FileOpenWrite = 22,
    FileWriteChunk = 23,
    WhiteListRequest = 49,
};

// Byte 4 is unused by the console; the path follows it. Sub-code 0 asks for
// an update image, others for signage content as well.
QByteArray openRead(const QString &path, quint8 subCode = 0);
QByteArray readChunk(quint16 wanted);
QByteArray close();
QByteArray openWrite(const QString &name);
// Empty when the data does not fit one frame.
QByteArray writeChunk(const QByteArray &data);
QByteArray whiteListRequest();
}

// A device's side of file transfer over a SimDevice, one operation at a
// time, driven by the console's replies:
//  - download: 9, then 11 until the console says end of file, then 10;
//  - upload: 22, then the data in 23 chunks, then 10 (the console does not
//    answer chunks, so the upload is finished once 10 is written);
//  - white list: 49 and its answer.
// A refusal ends the operation with the console's code; a download that
// was accepted is always closed with 10, as a device does.
class FileClient : public QObject
{
    Q_OBJECT
public:
    explicit FileClient(SimDevice *device, QObject *parent = nullptr);

    void download(const QString &path, quint8 subCode = 0, quint16 chunkSize = 4092);
    void upload(const QString &name, const QByteArray &data, int chunkSize = 4092);
    void requestWhiteList();
    // Spins the event loop until the operation ends; false on a time-out.
    bool waitForFinished(int timeoutMs = 15000);

    bool isBusy() const { return m_op != Op::None; }
    bool succeeded() const { return m_ok; }
    // The code of the console's last reply: the refusal, 2 after a whole
    // download, 3 after a read error.
    quint8 lastCode() const { return m_code; }
    qint64 announcedSize() const { return m_announcedSize; }
    // The downloaded bytes, or the white list.
    const QByteArray &data() const { return m_data; }
    int chunkReplies() const { return m_chunkReplies; }

signals:
    void finished(bool ok);

private:
    enum class Op { None, Download, Upload, WhiteList };
    void start(Op op, const QByteArray &firstFrame);
    void onFrame(const ReceivedFrame &frame);
    void onDownloadReply(const ReceivedFrame &frame);
    void onUploadReply(const ReceivedFrame &frame);
    void finish(bool ok);

    QPointer<SimDevice> m_device;
    Op m_op = Op::None;
    bool m_opened = false;
    bool m_ok = false;
    quint8 m_code = 0;
    qint64 m_announcedSize = -1;
    quint16 m_chunkSize = 4092;
    int m_chunkReplies = 0;
    QByteArray m_data;
    QByteArray m_upload;
};

#endif // FILECLIENT_H
