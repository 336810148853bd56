#ifndef FILEPUSH_H
#define FILEPUSH_H

#include "receivedframe.h"

#include <QByteArray>
#include <QString>

// The console's file push (type 0x18) as a device unpacks it: the name to
// store under, the MD5 text and size the console announced, and the data.
struct FilePush {
    QString name;
    QByteArray md5;       // as announced, without its NUL
    quint32 size = 0;     // as announced
    QByteArray data;

    // What a device checks before keeping the file: the announced size and
    // MD5 match the data that came.
    bool intact() const;

    // False when the frame is not a whole, consistent file push: a wrong
    // type, a length field that does not count the rest of the frame, a
    // string without its NUL, or fewer or more data bytes than announced.
    static bool parse(const ReceivedFrame &frame, FilePush *out);
};

#endif // FILEPUSH_H
