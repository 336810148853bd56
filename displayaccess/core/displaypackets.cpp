#include "displaypackets.h"

#include "devicelink/wire.h"

namespace DisplayPackets {

QByteArray configureDisplays(const DisplayLayout::DisplaySettings &settings)
{
    WireWriter w(CMD_CONFIGURE_DISPLAYS, ConfigureDisplaysSubCode, ConfigureDisplaysBufferSize);
    w.wireString(settings.videoMode).wireString(settings.screensaverTimeout);
    for (const DisplayLayout::OutputSettings &o : settings.outputs) {
        w.wireString(o.connector);
        if (o.connector == QLatin1String("none"))
            continue;
        w.wireString(o.position).wireString(o.referent).wireString(o.orientation).wireString(o.resolution);
    }
    return w.finish();
}

QString edidModeString(const QString &resolution)
{
    // CVT timings with reduced blanking, 32 bits per pixel, 60 Hz.
    return QStringLiteral("omapfb.mode=dvi:") + resolution + QStringLiteral("MR-32@60");
}

QByteArray setEdidResolution(const QString &resolution)
{
    WireWriter head(CMD_SET_EDID_RESOLUTION, 0x00, EdidBufferSize);
    const QByteArray resolutionPart = head.asciiZ(resolution).finish();
    const QByteArray mode = edidModeString(resolution).toLatin1();
    const qsizetype modeLength = mode.size() + 1;
    if (resolutionPart.isEmpty() || resolutionPart.size() + 2 + modeLength > EdidBufferSize)
        return QByteArray();

    QByteArray frame = resolutionPart;
    frame.append(char(modeLength >> 8)).append(char(modeLength & 0xFF));
    frame.append(mode).append('\0');
    return frame;
}

} // namespace DisplayPackets
