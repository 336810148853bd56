#include "displayrequests.h"

#include "devicelink/wire.h"

namespace DisplayRequests {

bool parseLayout(const ReceivedFrame &frame, Layout *out)
{
    if (frame.type != 0x33 || frame.subCode != 0x01 || int(frame.length) != frame.bytes.size() - 4)
        return false;
    PayloadReader in(frame.bytes);
    Layout layout;
    layout.videoMode = in.wireString();
    layout.screensaverTimeout = in.wireString();
    for (int n = 0; n < 3; ++n) {
        Output o;
        o.connector = in.wireString();
        if (o.connector != QLatin1String("none"))
            for (int field = 0; field < 4; ++field)
                o.placement << in.wireString();
        layout.outputs << o;
    }
    if (in.shortRead() || !in.atEnd())
        return false;
    *out = layout;
    return true;
}

bool parseEdidMode(const ReceivedFrame &frame, QString *resolution, QString *modeString)
{
    if (frame.type != ConsoleStream::EdidResolutionType)
        return false;
    // From byte 2 on: two wire strings in a row.
    PayloadReader in(frame.bytes, 2);
    const QString first = in.wireString();
    const QString second = in.wireString();
    if (in.shortRead() || !in.atEnd())
        return false;
    *resolution = first;
    *modeString = second;
    return true;
}

} // namespace DisplayRequests
