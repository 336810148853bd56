#include "signageagent.h"
#include "simdevice.h"
#include "transferqueue.h"

#include "devicelink/utils.h"
#include "devicelink/wire.h"

#include <QCryptographicHash>

namespace SignageSyncMessages {

// An output's sync switch and, when it is on, where its content and list lie.
static void readSync(PayloadReader &in, Output &output)
{
    output.sync = in.u8() == 1;
    if (output.sync) {
        output.contentDir = in.wireString();
        output.listFile = in.wireString();
    }
}

bool parseSyncCommand(const QByteArray &frame, Outputs *outputs)
{
    if (Frame::type(frame) != CmdSyncSignageDir || frame.size() != Wire::HeaderSize + Frame::payloadLength(frame))
        return false;
    PayloadReader in(frame);
    Outputs parsed;
    for (Output &output : parsed) {
        readSync(in, output);
        if (in.shortRead())
            return false;
    }
    *outputs = parsed;
    return true;
}

bool parseSignageProtocolCommand(const QByteArray &frame, Outputs *outputs)
{
    if (Frame::type(frame) != CmdAccessProtocol || Frame::subCode(frame) != SubDigitalSignage || !Frame::isWhole(frame))
        return false;
    PayloadReader in(frame);
    in.u16();   // protocol type code
    in.u16();   // list index
    Outputs parsed;
    for (Output &output : parsed) {
        if (in.u8() == 1) {
            in.wireString();   // mode
            in.wireString();   // duration
            in.wireString();   // url
            readSync(in, output);
        }
        if (in.shortRead())
            return false;
    }
    *outputs = parsed;
    return true;
}

QList<ListEntry> parseList(const QByteArray &list)
{
    static const QString dirTag = QStringLiteral("dir=");
    static const QString fileTag = QStringLiteral("file=");
    static const QString md5Tag = QStringLiteral(" md5sum=");
    QList<ListEntry> out;
    for (QByteArray raw : list.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = Utils::fromWire(raw.constData(), int(raw.size()));
        ListEntry entry;
        if (line.startsWith(dirTag)) {
            entry.isDir = true;
            entry.path = line.mid(dirTag.size());
        } else if (line.startsWith(fileTag)) {
            // The MD5 is the last field: a file name may hold " md5sum=" itself.
            const qsizetype at = line.lastIndexOf(md5Tag);
            if (at < fileTag.size())
                continue;
            entry.path = line.mid(fileTag.size(), at - fileTag.size());
            entry.md5 = line.mid(at + md5Tag.size());
        } else {
            continue;
        }
        if (!entry.path.isEmpty())
            out.append(entry);
    }
    return out;
}

} // namespace SignageSyncMessages

using namespace SignageSyncMessages;

static QString md5Of(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

SignageAgent::SignageAgent(SimDevice *device, TransferQueue *transfers, QObject *parent)
    : QObject(parent), m_device(device), m_transfers(transfers)
{
    connect(device, &SimDevice::frameReceived, this, &SignageAgent::onFrame);
    connect(transfers, &TransferQueue::idle, this, &SignageAgent::onIdle);
}

void SignageAgent::onFrame(const ReceivedFrame &frame)
{
    const bool protocol = frame.type == CmdAccessProtocol && frame.subCode == SubDigitalSignage;
    if (frame.type != CmdSyncSignageDir && !protocol)
        return;
    ++m_received;
    Outputs outputs;
    if (!(protocol ? parseSignageProtocolCommand(frame.bytes, &outputs) : parseSyncCommand(frame.bytes, &outputs))) {
        ++m_failures;
        return;
    }
    m_syncing = true;
    m_failuresAtStart = m_failures;
    m_fetched.clear();
    // The lists first, in output order; each one's files follow once it is in.
    for (const Output &output : outputs) {
        if (!output.sync)
            continue;
        const QString listPath = output.listFile;
        m_transfers->download(listPath, SignageSubCode, [this, listPath](bool ok, const QByteArray &data) {
            onListFetched(listPath, ok, data);
        });
    }
    // Nothing to fetch: the sync is over at once.
    if (m_transfers->isIdle())
        onIdle();
}

void SignageAgent::onListFetched(const QString &listPath, bool ok, const QByteArray &data)
{
    m_fetched.append(listPath);
    if (!ok) {
        ++m_failures;
        return;
    }
    m_lists.insert(listPath, data);
    for (const ListEntry &entry : parseList(data)) {
        if (entry.isDir)
            m_dirs.insert(entry.path);
        else if (!m_content.contains(entry.path) || md5Of(m_content.value(entry.path)) != entry.md5)
            fetchFile(entry);
    }
}

void SignageAgent::fetchFile(const ListEntry &entry)
{
    m_transfers->download(entry.path, SignageSubCode, [this, entry](bool ok, const QByteArray &data) {
        m_fetched.append(entry.path);
        // A file that changed on the console after its list was written is
        // not taken: the next sync brings it with its new sum.
        if (!ok || md5Of(data) != entry.md5) {
            ++m_failures;
            return;
        }
        m_content.insert(entry.path, data);
    });
}

void SignageAgent::onIdle()
{
    if (!m_syncing)
        return;
    m_syncing = false;
    ++m_completed;
    emit syncFinished(m_failures == m_failuresAtStart);
}
