#include "fileclient.h"
#include "simdevice.h"

#include "devicelink/wire.h"

#include <QEventLoop>
#include <QTimer>

namespace FileMessages {

QByteArray openRead(const QString &path, quint8 subCode)
{
    return WireWriter(FileOpenRead, subCode).u8(0).asciiZ(path).finish();
}

QByteArray readChunk(quint16 wanted)
{
    return WireWriter(FileReadChunk, 0).u16(wanted).finish();
}

QByteArray close()
{
    return WireWriter(FileClose, 0).finish();
}

QByteArray openWrite(const QString &name)
{
    return WireWriter(FileOpenWrite, 0).asciiZ(name).finish();
}

QByteArray writeChunk(const QByteArray &data)
{
    return WireWriter(FileWriteChunk, 0).raw(data).finish();
}

QByteArray whiteListRequest()
{
    return WireWriter(WhiteListRequest, 0).finish();
}

} // namespace FileMessages

FileClient::FileClient(SimDevice *device, QObject *parent) : QObject(parent), m_device(device)
{
    connect(device, &SimDevice::frameReceived, this, &FileClient::onFrame);
    connect(device, &SimDevice::disconnected, this, [this] {
        if (isBusy())
            finish(false);
    });
}

void FileClient::download(const QString &path, quint8 subCode, quint16 chunkSize)
{
    m_chunkSize = chunkSize;
    start(Op::Download, FileMessages::openRead(path, subCode));
}

void FileClient::upload(const QString &name, const QByteArray &data, int chunkSize)
{
    m_upload = data;
    m_chunkSize = quint16(qBound(1, chunkSize, int(Wire::MaxPayload)));
    start(Op::Upload, FileMessages::openWrite(name));
}

void FileClient::requestWhiteList()
{
    start(Op::WhiteList, FileMessages::whiteListRequest());
}

void FileClient::start(Op op, const QByteArray &firstFrame)
{
    m_op = op;
    m_opened = false;
    m_ok = false;
    m_code = 0;
    m_announcedSize = -1;
    m_chunkReplies = 0;
    m_data.clear();
    if (!m_device || m_device->sendFrame(firstFrame) < 0)
        QTimer::singleShot(0, this, [this] { finish(false); });
}

bool FileClient::waitForFinished(int timeoutMs)
{
    if (!isBusy())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &FileClient::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    return !isBusy();
}

void FileClient::onFrame(const ReceivedFrame &frame)
{
    switch (m_op) {
    case Op::None:
        return;
    case Op::WhiteList:
        if (frame.type == FileMessages::WhiteListRequest) {
            m_data = frame.payload();
            finish(true);
        }
        return;
    case Op::Download:
        if (frame.type == FileMessages::Reply)
            onDownloadReply(frame);
        return;
    case Op::Upload:
        if (frame.type == FileMessages::Reply)
            onUploadReply(frame);
        return;
    }
}

void FileClient::onDownloadReply(const ReceivedFrame &frame)
{
    m_code = frame.subCode;
    if (!m_opened) {
        if (m_code != TransferReply::Done) {
            finish(false);
            return;
        }
        m_opened = true;
        // The size comes as decimal text ending in a NUL.
        QByteArray size = frame.payload();
        size.truncate(size.indexOf('\0') < 0 ? size.size() : size.indexOf('\0'));
        m_announcedSize = size.toLongLong();
        m_device->sendFrame(FileMessages::readChunk(m_chunkSize));
        return;
    }
    if (m_code == TransferReply::Done) {
        ++m_chunkReplies;
        m_data += frame.payload();
        m_device->sendFrame(FileMessages::readChunk(m_chunkSize));
        return;
    }
    // End of file, or a failure: either way the device closes.
    m_device->sendFrame(FileMessages::close());
    finish(m_code == TransferReply::NotAllowed && m_data.size() == m_announcedSize);
}

void FileClient::onUploadReply(const ReceivedFrame &frame)
{
    m_code = frame.subCode;
    m_opened = true;
    if (m_code != TransferReply::Done) {
        // A file that could not be created is still the device's transfer.
        if (m_code == TransferReply::CannotOpen)
            m_device->sendFrame(FileMessages::close());
        finish(false);
        return;
    }
    for (qsizetype at = 0; at < m_upload.size(); at += m_chunkSize)
        m_device->sendFrame(FileMessages::writeChunk(m_upload.mid(at, m_chunkSize)));
    m_device->sendFrame(FileMessages::close());
    finish(true);
}

void FileClient::finish(bool ok)
{
    m_op = Op::None;
    m_ok = ok;
    emit finished(ok);
}
