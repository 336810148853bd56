#ifndef DISPLAYPACKETS_H
#define DISPLAYPACKETS_H

#include "displaylayout.h"

#include <QByteArray>
#include <QString>

// The display commands: the layout of the selected devices' outputs and one
// device's screen mode from its EDID list. Values in, the whole frame out;
// an empty array when the values do not fit the command's buffer, so the
// caller tells the administrator and sends nothing.
namespace DisplayPackets {

constexpr quint8 CMD_SET_EDID_RESOLUTION = 0x02;
constexpr quint8 CMD_CONFIGURE_DISPLAYS = 0x33;
constexpr quint8 ConfigureDisplaysSubCode = 0x01;

constexpr int ConfigureDisplaysBufferSize = 4096;
constexpr int EdidBufferSize = 1024;

// Video mode, timeout, then per output its connector and, unless that is
// "none", its position, referent, orientation and resolution.
QByteArray configureDisplays(const DisplayLayout::DisplaySettings &settings);

// The frame-buffer mode string the devices boot with for a resolution.
QString edidModeString(const QString &resolution);
// The devices read this frame oddly: the header's length counts only the
// resolution (a bare NUL-ended string), and the mode string follows as a
// wire string of its own beyond it.
QByteArray setEdidResolution(const QString &resolution);

} // namespace DisplayPackets

#endif // DISPLAYPACKETS_H
