#include "accessprotocolpackets.h"

#include "devicelink/utils.h"
#include "devicelink/wire.h"

namespace AccessProtocolPackets {

QString colorDepthValue(const QString &chosen)
{
    // "8" before "16": a text naming both is sent as 8, as the devices expect.
    for (const char *depth : {"8", "16", "24", "32"})
        if (chosen.contains(QLatin1String(depth)))
            return QLatin1String(depth);
    return QStringLiteral("Auto");
}

QString latencyValue(const QString &chosen)
{
    for (const char *latency : {"Low", "Medium", "High", "Auto"})
        if (chosen.startsWith(QLatin1String(latency)))
            return QLatin1String(latency);
    return QString();
}

QString windowSizeValue(const QString &chosen)
{
    if (chosen.startsWith(QLatin1String("Full")))
        return QStringLiteral("Fullscreen");
    if (chosen.startsWith(QLatin1String("Percent")))
        return QStringLiteral("Percentage");
    return QStringLiteral("Auto");
}

QByteArray accessProtocol(const AccessProtocolSettings &s)
{
    WireWriter w(CmdAccessProtocol, SubSettings, BufferSize);
    w.u16(quint16(s.connType)).u16(quint16(s.connTypeIndex));
    w.wireString(colorDepthValue(s.colorDepth))
        .wireString(s.graphicsQuality)
        .wireString(s.audioQuality)
        .wireString(s.redirectAudio)
        .wireString(s.redirectMic)
        .wireString(latencyValue(s.latency))
        .wireString(s.security)
        .wireString(windowSizeValue(s.windowSize))
        .wireString(s.windowPercentage)
        .wireString(s.cmdlineArgs)
        .wireString(s.hostnamePort);
    w.u8(s.autoReconnect ? 1 : 0).u8(s.autoLogin ? 1 : 0);
    if (s.autoLogin)
        w.wireString(s.domain).wireString(s.username).wireString(s.password);
    // An empty combo's -1 goes out as FFFF.
    for (int index : {s.colorDepthIndex, s.graphicsQualityIndex, s.audioQualityIndex, s.redirectAudioIndex,
                      s.redirectMicIndex, s.latencyIndex, s.securityIndex, s.windowSizeIndex})
        w.u16(quint16(index));
    // Redirect video came later; the devices read it after the other indexes.
    w.wireString(s.redirectVideo).u16(quint16(s.redirectVideoIndex));
    if (s.connType == WebType)
        w.u8(s.kioskMode ? 1 : 0);
    else if (s.connType == CitrixHdxType)
        w.u16(0);
    return w.finish();
}

bool holdsOnWire(const AccessProtocolSettings &s)
{
    QStringList typed{s.windowPercentage, s.cmdlineArgs, s.hostnamePort};
    if (s.autoLogin)
        typed << s.domain << s.username << s.password;
    // A line break pasted with a text would go out as part of it.
    return Utils::sendsAsTyped(typed);
}

QByteArray connectionManager()
{
    return WireWriter(CmdAccessProtocol, SubConnectionManager, BufferSize).u16(ConnectionManagerType).u16(0).finish();
}

QByteArray digitalSignage(int connTypeIndex, const SignageOutputs &outputs,
                          const std::array<QString, SignageOutputCount> &contentDirs,
                          const std::array<QString, SignageOutputCount> &listFiles)
{
    WireWriter w(CmdAccessProtocol, SubDigitalSignage, BufferSize);
    w.u16(DigitalSignageType).u16(quint16(connTypeIndex));
    for (int i = 0; i < SignageOutputCount; ++i) {
        const SignageOutput &output = outputs[size_t(i)];
        if (!output.enabled) {
            w.u8(0);
            continue;
        }
        w.u8(1).wireString(output.mode).wireString(output.duration).wireString(output.url);
        w.u8(output.syncNow ? 1 : 0);
        if (output.syncNow) {
            // The devices fetch the list and the content by these paths.
            if (!Utils::holdsOnWire(contentDirs[size_t(i)]) || !Utils::holdsOnWire(listFiles[size_t(i)]))
                return QByteArray();
            w.wireString(contentDirs[size_t(i)]).wireString(listFiles[size_t(i)]);
        }
    }
    return w.finish();
}

QByteArray protocolHelpRequest(int typeCode)
{
    return WireWriter(CmdGetProtocolHelp, 0x00, BufferSize).u8(quint8(typeCode)).finish();
}

QString connectionManagerConfigName(const QString &serialNumber)
{
    // The serial comes from the device: it must not lead the file's path out
    // of the image's directory or name the directory itself.
    if (serialNumber.isEmpty() || serialNumber.contains(QLatin1Char('/')) || serialNumber.contains(QLatin1Char('\\'))
        || serialNumber.contains(QLatin1String("..")))
        return QString();
    return serialNumber.toUpper() + QStringLiteral(".conf");
}

} // namespace AccessProtocolPackets
