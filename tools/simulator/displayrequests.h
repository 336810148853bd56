#ifndef DISPLAYREQUESTS_H
#define DISPLAYREQUESTS_H

#include "receivedframe.h"

#include <QString>
#include <QStringList>

// The display commands as a device reads them.
namespace DisplayRequests {

// One output of the layout command: its connector and, unless that is
// "none", position, referent, orientation and resolution.
struct Output {
    QString connector;
    QStringList placement;
};

struct Layout {
    QString videoMode;
    QString screensaverTimeout;
    QList<Output> outputs;
};

// 0x33/0x01; false when the frame is not one or its fields run short.
bool parseLayout(const ReceivedFrame &frame, Layout *out);

// 0x02: the resolution and the frame-buffer mode string; false when the
// frame is not one or the two disagree on their lengths.
bool parseEdidMode(const ReceivedFrame &frame, QString *resolution, QString *modeString);

} // namespace DisplayRequests

#endif // DISPLAYREQUESTS_H
