#include "devicerow.h"
#include "sslserver.h"
#include "thinclientinfo.h"
#include "wire.h"

#include <QColor>
#include <QFile>
#include <QStandardItem>

namespace {

using Text = QString ThinclientInfo::*;
using TI = ThinclientInfo;

// The registration layouts, as runs of text fields in wire order. The same
// tables say which fields a returning device's registration carries.

// Version 1, the AsciiZ texts before the display modes.
const Text v1Identity[] = {&TI::model, &TI::deviceName, &TI::ipAddress, &TI::macAddress,
                           &TI::firmwareVersion, &TI::resolution, &TI::remoteServer, &TI::clientVersion};
// Version 1, the texts between the boot mode and the server detection.
const Text v1Settings[] = {&TI::protocolDefault, &TI::cmdLineArgs, &TI::extraText1, &TI::serialNumber};
// Version 1, sub-code 1 only, after the time server.
const Text v1ServerTail[] = {&TI::boardHostname, &TI::hotfixVersion, &TI::serverIp,
                             &TI::serverPort, &TI::extraText2, &TI::extraText3};

// Version 2, the WireStrings after the display modes, ending with the wired switch.
const Text v2Identity[] = {&TI::model, &TI::deviceName, &TI::ipAddress, &TI::macAddress,
                           &TI::firmwareVersion, &TI::hotfixVersion, &TI::resolution, &TI::remoteServer,
                           &TI::clientVersion, &TI::protocolType, &TI::serialNumber, &TI::timeServer,
                           &TI::boardHostname, &TI::timezone, &TI::cmdLineArgs, &TI::serverIp,
                           &TI::serverPort, &TI::dns1, &TI::dns2, &TI::domainSearchPath, &TI::wiredEnabled};
// Only when the wired switch is "yes".
const Text v2Wired[] = {&TI::wiredMethod, &TI::ipAddress, &TI::wiredNetmask, &TI::wiredGateway};
// Only when the wireless switch is "yes".
const Text v2Wireless[] = {&TI::wirelessMethod, &TI::wirelessIp, &TI::wirelessNetmask,
                           &TI::wirelessGateway, &TI::wirelessSsid, &TI::wirelessSecurity};
const Text v2Settings[] = {&TI::keyboardModel, &TI::keyboardLayout, &TI::keyboardVariant,
                           &TI::keyboardOption, &TI::firewallEnabled, &TI::powerSaveEnabled,
                           &TI::pxeServerEnabled, &TI::pxeOnly, &TI::dhcpStart, &TI::dhcpEnd};

// Texts that a fleet mostly reports alike: versions, settings, display
// modes. Names and addresses differ from device to device and are left out.
const Text fleetTexts[] = {&TI::model, &TI::firmwareVersion, &TI::hotfixVersion, &TI::resolution,
                           &TI::remoteServer, &TI::clientVersion, &TI::protocolType, &TI::protocolDefault,
                           &TI::cmdLineArgs, &TI::extraText1, &TI::timeServer, &TI::serverIp, &TI::serverPort,
                           &TI::extraText2, &TI::extraText3, &TI::timezone, &TI::firewallEnabled,
                           &TI::powerSaveEnabled, &TI::pxeServerEnabled, &TI::pxeOnly, &TI::dhcpStart,
                           &TI::dhcpEnd, &TI::dns1, &TI::dns2, &TI::domainSearchPath, &TI::wiredEnabled,
                           &TI::wiredMethod, &TI::wiredNetmask, &TI::wiredGateway, &TI::wirelessEnabled,
                           &TI::wirelessMethod, &TI::wirelessNetmask, &TI::wirelessGateway, &TI::wirelessSsid,
                           &TI::wirelessSecurity, &TI::keyboardModel, &TI::keyboardLayout,
                           &TI::keyboardVariant, &TI::keyboardOption};
using ModeText = QString EdidInfo::*;
const ModeText modeTexts[] = {&EdidInfo::resolution, &EdidInfo::pixelClock, &EdidInfo::horizontal,
                              &EdidInfo::vertical, &EdidInfo::sync, &EdidInfo::polarity};

constexpr quint8 MsgRegistration = 5;

bool isVersion2(qint8 subCode) { return subCode > 2; }

template <size_t N>
void readAsciiZ(PayloadReader &r, const Text (&fields)[N], ThinclientInfo *into)
{
    for (Text f : fields)
        into->*f = r.asciiZ();
}

template <size_t N>
void readWireStrings(PayloadReader &r, const Text (&fields)[N], ThinclientInfo *into)
{
    for (Text f : fields)
        into->*f = r.wireString();
}

template <size_t N>
void copyTexts(const Text (&fields)[N], const ThinclientInfo &from, ThinclientInfo *to)
{
    for (Text f : fields)
        to->*f = from.*f;
}

// Reads count display modes and keeps the first MaxEdid of them.
void readModes(PayloadReader &r, int count, ThinclientInfo *into)
{
    const int kept = qMin(count, int(ThinclientInfo::MaxEdid));
    // Modes the message is too short for stay empty.
    QList<EdidInfo> modes(kept);
    for (int i = 0; i < count && !r.atEnd(); ++i) {
        EdidInfo mode;
        mode.resolution = r.asciiZ();
        mode.pixelClock = r.asciiZ();
        mode.horizontal = r.asciiZ();
        mode.vertical = r.asciiZ();
        mode.sync = r.asciiZ();
        mode.polarity = r.asciiZ();
        if (i < kept)
            modes[i] = std::move(mode);
    }
    into->edid = std::move(modes);
    into->edidCount = quint16(kept);
}

void parseVersion1(PayloadReader &r, qint8 subCode, ThinclientInfo *into)
{
    readAsciiZ(r, v1Identity, into);
    // A count byte of 128 or more reads as negative: no display modes.
    readModes(r, qMax(0, int(r.s8())), into);
    into->protocolType = r.asciiZ().toUpper();
    into->bootMode = r.u16();
    readAsciiZ(r, v1Settings, into);
    into->serverDetection = r.u16();
    into->timeServer = r.asciiZ();
    if (subCode == 1)
        readAsciiZ(r, v1ServerTail, into);
}

void parseVersion2(PayloadReader &r, ThinclientInfo *into)
{
    readModes(r, r.u16(), into);
    readWireStrings(r, v2Identity, into);
    if (Wire::isYes(into->wiredEnabled))
        readWireStrings(r, v2Wired, into);
    into->wirelessEnabled = r.wireString();
    if (Wire::isYes(into->wirelessEnabled))
        readWireStrings(r, v2Wireless, into);
    readWireStrings(r, v2Settings, into);
    into->bootMode = r.u16();
    into->serverDetection = r.u16();
    into->autoLogin = r.u16() == 1;
    into->autoReconnect = r.u16() == 1;
    into->swapServer = r.u16() == 1;
    into->printServer = r.u16() == 1;
}

// A returning device's record takes every value its registration carries.
// What a version-2 registration does not carry keeps its earlier value; a
// version-1 device's time zone and missing server fields are emptied (below).
// The row, the tick and the department belong to the record, not to the
// message, and stay.
void copyCarried(const ThinclientInfo &from, ThinclientInfo *to, qint8 subCode)
{
    if (isVersion2(subCode)) {
        copyTexts(v2Identity, from, to);
        // The switches decide whether the details below were sent; when an
        // interface is off, its old details are no longer true either.
        copyTexts(v2Wired, from, to);
        to->wirelessEnabled = from.wirelessEnabled;
        copyTexts(v2Wireless, from, to);
        copyTexts(v2Settings, from, to);
        to->autoLogin = from.autoLogin;
        to->autoReconnect = from.autoReconnect;
        to->swapServer = from.swapServer;
        to->printServer = from.printServer;
    } else {
        copyTexts(v1Identity, from, to);
        to->protocolType = from.protocolType;
        copyTexts(v1Settings, from, to);
        to->timeServer = from.timeServer;
        // A version-1 device reports no time zone, and without sub-code 1 no
        // server fields: what it reported before no longer holds, so those
        // are emptied rather than shown stale.
        copyTexts(v1ServerTail, from, to);
        to->timezone = from.timezone;
    }
    to->bootMode = from.bootMode;
    to->serverDetection = from.serverDetection;
    to->edid = from.edid;
    to->edidCount = from.edidCount;
}

bool isWholeRegistration(const char *message, int length)
{
    return message && length >= Wire::HeaderSize
           && Wire::HeaderSize + (quint8(message[2]) << 8 | quint8(message[3])) == length;
}

ThinclientInfo *takePending(QList<ThinclientInfo *> &pending, QSslSocket *socket)
{
    for (int i = 0; i < pending.size(); ++i)
        if (pending.at(i)->socket == socket)
            return pending.takeAt(i);
    return nullptr;
}

} // namespace

bool SSLServer::parseRegistration(const char *message, int length, ThinclientInfo *into)
{
    if (!message || !into || length < Wire::HeaderSize || (quint8(message[0]) & 0x7F) != MsgRegistration)
        return false;
    const qint8 subCode = qint8(message[1]);
    PayloadReader reader(message, length);
    reader.limitTexts(Wire::MaxStoredText);
    if (isVersion2(subCode))
        parseVersion2(reader, into);
    else
        parseVersion1(reader, subCode, into);
    return true;
}

void SSLServer::handleRegistration(QSslSocket *socket, const char *message, int length)
{
    if (!isWholeRegistration(message, length))
        return;
    const qint8 subCode = qint8(message[1]);
    if (isVersion2(subCode)) {
        handleRegistrationV2(socket, message, length);
        return;
    }
    // No pending record: not authenticated, or registered already on this
    // connection.
    ThinclientInfo *record = takePending(pendingDevices, socket);
    if (!record)
        return;
    parseRegistration(message, length, record);
    // A device told by DHCP where the console is needs no broadcast.
    DeviceRow::flush();
    emit onSetBroadcastBtnState(record->serverDetection != 1);
    fileRegistration(socket, record, subCode);
}

void SSLServer::handleRegistrationV2(QSslSocket *socket, const char *message, int length)
{
    if (!isWholeRegistration(message, length) || !isVersion2(qint8(message[1])))
        return;
    ThinclientInfo *record = takePending(pendingDevices, socket);
    if (!record)
        return;
    parseRegistration(message, length, record);
    fileRegistration(socket, record, qint8(message[1]));
}

QString SSLServer::sharedText(const QString &text)
{
    if (text.isEmpty())
        return text;
    const auto known = m_sharedTexts.constFind(text);
    if (known != m_sharedTexts.cend())
        return *known;
    // Devices choose these texts: what may be kept for sharing is bounded,
    // and a text past the bound is simply kept by its record alone.
    if (text.size() <= MaxSharedTextLength && m_sharedTexts.size() < MaxSharedTexts)
        m_sharedTexts.insert(text);
    return text;
}

void SSLServer::shareTexts(ThinclientInfo *record)
{
    // Each text a record keeps is a small block of its own, and the records
    // of a fleet registering at once scatter those blocks among the
    // connections' buffers; once the connections close, every page that
    // still holds one stays resident. Texts the fleet reports alike are
    // kept once and shared (the values do not change).
    for (Text f : fleetTexts)
        record->*f = sharedText(record->*f);
    shareModes(record);
}

void SSLServer::shareModes(ThinclientInfo *record)
{
    // A monitor model reports the same modes on every device that has one,
    // and each record's list would be one more small block of its own.
    if (record->edid.isEmpty())
        return;
    QString key;
    for (const EdidInfo &mode : std::as_const(record->edid)) {
        for (ModeText f : modeTexts) {
            // The separator cannot occur in a text read up to its NUL.
            key += mode.*f;
            key += QChar(0);
        }
        if (key.size() > MaxSharedModesKey) {
            key.clear();    // too long to keep as a key
            break;
        }
    }
    if (!key.isEmpty()) {
        const auto known = m_sharedModes.constFind(key);
        if (known != m_sharedModes.cend()) {
            record->edid = *known;
            return;
        }
    }
    // A list of its own still shares the texts other lists hold.
    for (EdidInfo &mode : record->edid)
        for (ModeText f : modeTexts)
            mode.*f = sharedText(mode.*f);
    if (!key.isEmpty() && m_sharedModes.size() < MaxSharedModeLists)
        m_sharedModes.insert(key, record->edid);
}

void SSLServer::fileRegistration(QSslSocket *socket, ThinclientInfo *record, qint8 subCode)
{
    shareTexts(record);
    record->checked = false;
    record->transferFile = nullptr;
    if (!devices) {
        delete record;
        return;
    }

    QSslSocket *oldSocket = nullptr;
    ThinclientInfo *old = nullptr;
    if (findDeviceByMac(record->macAddress, &oldSocket, &old) != 0) {
        devices->insert(socket, record);
        indexDevice(record->macAddress, socket);
        DeviceRow::flush();
        emit onDeviceRegistered(record);
        return;
    }

    const bool modelChanged = record->model != old->model;
    copyCarried(*record, old, subCode);
    delete record;
    old->online = true;
    old->socket = socket;
    old->checked = old->item && old->item->checkState() == Qt::Checked;
    // A transfer of the old connection cannot go on over the new one.
    if (old->transferFile) {
        old->transferFile->close();
        delete old->transferFile;
        old->transferFile = nullptr;
    }
    devices->remove(oldSocket);
    devices->insert(socket, old);
    indexDevice(old->macAddress, socket);
    refreshDeviceRow(old);
    // The old key is an offline device's, which is no socket, or a
    // connection the new one supersedes; nothing refers to it now. Only
    // sockets this server made are its to release.
    if (oldSocket && oldSocket != socket && oldSocket != offlineKey(old) && oldSocket->parent() == this)
        retireSocket(oldSocket);
    if (modelChanged) {
        DeviceRow::flush();
        emit onDeviceModelChanged(old);
    }
}

int SSLServer::findDeviceByMac(const QString &mac, QSslSocket **socketOut, ThinclientInfo **recordOut) const
{
    *socketOut = nullptr;
    *recordOut = nullptr;
    // Devices that report no MAC address cannot be told apart; matching them
    // would hand one device's row to another, and each would close the
    // other's connection in turn. Blanks in place of an address say as
    // little as none.
    if (mac.trimmed().isEmpty() || !devices)
        return -1;
    // Walking the map for every registration made each one cost more the
    // larger the fleet; the index answers at once. The map belongs to the
    // main window, which may change it too: an index entry is used only when
    // the map still files that device under that socket, and a map whose
    // size the index does not know is indexed afresh.
    if (m_macIndexedSize != devices->size())
        rebuildMacIndex();
    QSslSocket *socket = m_macIndex.value(mac, nullptr);
    ThinclientInfo *record = socket ? devices->value(socket, nullptr) : nullptr;
    if (socket && !(record && record->macAddress == mac)) {
        rebuildMacIndex();
        socket = m_macIndex.value(mac, nullptr);
        record = socket ? devices->value(socket, nullptr) : nullptr;
    }
    if (!record)
        return -1;
    *socketOut = socket;
    *recordOut = record;
    return 0;
}

void SSLServer::rebuildMacIndex() const
{
    m_macIndex.clear();
    if (!devices)
        return;
    // Should two records share an address, the first in map order is found,
    // as a walk of the map would find it.
    for (auto it = devices->cbegin(); it != devices->cend(); ++it)
        if (it.value() && !it.value()->macAddress.isEmpty() && !m_macIndex.contains(it.value()->macAddress))
            m_macIndex.insert(it.value()->macAddress, it.key());
    m_macIndexedSize = devices->size();
}

void SSLServer::indexDevice(const QString &mac, QSslSocket *socket)
{
    // Only an index that was in step before this change stays in step.
    if (m_macIndexedSize == devices->size() - 1 || m_macIndexedSize == devices->size()) {
        if (!mac.isEmpty())
            m_macIndex.insert(mac, socket);
        m_macIndexedSize = devices->size();
    } else {
        m_macIndexedSize = -1;
    }
}

QSslSocket *SSLServer::socketForDevice(ThinclientInfo *record) const
{
    if (!devices || !record)
        return nullptr;
    for (auto it = devices->cbegin(); it != devices->cend(); ++it)
        if (it.value() == record)
            return it.key();
    return nullptr;
}

void SSLServer::refreshDeviceRow(ThinclientInfo *record)
{
    if (!DeviceRow::hasRow(record))
        return;
    DeviceRow::setEnabled(record, columnCount, true);
    DeviceRow::setText(record, 0, record->deviceName);
    if (record->bootMode == 1 || record->bootMode == 3) {
        DeviceRow::setText(record, 1,
                           record->bootMode == 1 ? QStringLiteral("In factory mode") : QStringLiteral("In upgrade mode"));
        DeviceRow::setForeground(record, 1, QColor(0, 0, 255));
    } else {
        DeviceRow::setText(record, 1, QString());
    }
    if (settings)
        DeviceRow::writeColumns(settings, record);
}
