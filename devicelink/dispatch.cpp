#include "sslserver.h"
#include "thinclientinfo.h"
#include "wire.h"

namespace {

enum class LengthRule { None, Exact, AtLeast };

struct IncomingType {
    quint8 type;
    void (SSLServer::*handler)(QSslSocket *, const char *, int);
    LengthRule rule;
};

// Messages a device may send. Types without a row are dropped. Frames come
// whole from the assembler, so the length rules only bite for callers that
// hand in raw bytes; they are kept so every handler sees what it expects.
const IncomingType incomingTypes[] = {
    {3, &SSLServer::handleFirmwareVersion, LengthRule::Exact},
    {4, &SSLServer::handleTimezoneInfo, LengthRule::None},
    {5, &SSLServer::handleRegistration, LengthRule::Exact},
    {6, &SSLServer::handleDeviceName, LengthRule::Exact},
    {7, &SSLServer::handleStatusMessage, LengthRule::Exact},
    {8, &SSLServer::handleRemoteServer, LengthRule::Exact},
    {9, &SSLServer::handleFileOpenRead, LengthRule::Exact},
    {10, &SSLServer::handleFileClose, LengthRule::Exact},
    {11, &SSLServer::handleFileReadChunk, LengthRule::None},
    {17, &SSLServer::handleDeviceOffline, LengthRule::None},
    {18, &SSLServer::handleProtocolType, LengthRule::None},
    {22, &SSLServer::handleFileOpenWrite, LengthRule::Exact},
    {23, &SSLServer::handleFileWriteChunk, LengthRule::None},
    {29, &SSLServer::handleNetworkInfo, LengthRule::AtLeast},
    {33, &SSLServer::handleRemoteProtocolHelp, LengthRule::Exact},
    {34, &SSLServer::handleKeyboardSettings, LengthRule::AtLeast},
    {36, &SSLServer::handleFirewallStatus, LengthRule::None},
    {37, &SSLServer::handlePxeConfiguration, LengthRule::None},
    {43, &SSLServer::handleUsbDeviceList, LengthRule::Exact},
    {49, &SSLServer::handleWhiteListRequest, LengthRule::None},
};

const IncomingType *findType(quint8 type)
{
    for (const IncomingType &t : incomingTypes)
        if (t.type == type)
            return &t;
    return nullptr;
}

bool lengthAllowed(LengthRule rule, const QByteArray &frame)
{
    const int whole = Wire::HeaderSize + Frame::payloadLength(frame);
    switch (rule) {
    case LengthRule::Exact: return frame.size() == whole;
    case LengthRule::AtLeast: return frame.size() >= whole;
    case LengthRule::None: return true;
    }
    return false;
}

} // namespace

void SSLServer::dispatchFrame(QSslSocket *socket, const QByteArray &frame)
{
    // Even a message without payload has its whole header.
    if (frame.size() < Wire::HeaderSize)
        return;
    // Only sockets that passed the handshake get here; each handler decides
    // whether a pending (not yet registered) device may use it.
    // Registered devices first: the pending list is walked, and a status
    // storm comes from registered ones.
    if (!(devices && devices->contains(socket)) && indexOfPendingDevice(socket) < 0)
        return;
    const IncomingType *t = findType(quint8(frame.at(0)) & 0x7F);
    if (!t || !lengthAllowed(t->rule, frame))
        return;
    // A handler sees its own frame only: bytes past the announced length
    // belong to no message it may read.
    const int length = qMin(int(frame.size()), Wire::HeaderSize + Frame::payloadLength(frame));
    (this->*t->handler)(socket, frame.constData(), length);
}

bool SSLServer::isReport(QByteArrayView frame)
{
    const quint8 type = Frame::type(frame);
    return type == 3 || type == 6 || type == 7;
}

void SSLServer::markReplaced(const QByteArrayView *frames, int count, bool *replaced)
{
    // Walked from the last frame back: what a later report writes again.
    bool firmware = false, name = false, statusText = false, statusColourSet = false;
    for (int i = count - 1; i >= 0; --i) {
        const QByteArrayView f = frames[i];
        replaced[i] = false;
        switch (Frame::isWhole(f) ? Frame::type(f) : 0) {
        case 3:
            replaced[i] = firmware;
            firmware = true;
            break;
        case 6:
            replaced[i] = name;
            name = true;
            break;
        case 7: {
            const bool colour = statusColour(Frame::subCode(f), nullptr);
            replaced[i] = statusText && (statusColourSet || !colour);
            statusText = true;
            statusColourSet = statusColourSet || colour;
            break;
        }
        default:
            firmware = name = statusText = statusColourSet = false;
            break;
        }
    }
}
